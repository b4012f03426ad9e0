#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <random>

namespace tolm::platform {
namespace {

TEST(NamedMutex, SecondCreationOpensTheExistingMutex) {
    const std::string name = "TOLM7MUTEX-test-" + std::to_string(std::random_device{}());
    EXPECT_FALSE(named_mutex_exists(name));
    EXPECT_EQ(create_named_mutex(name), MutexCreation::created);
    EXPECT_EQ(create_named_mutex(name), MutexCreation::opened_existing);
    EXPECT_TRUE(named_mutex_exists(name));
    // Names are case-sensitive, as the system's object names are.
    EXPECT_EQ(create_named_mutex(name + "x"), MutexCreation::created);
}

}  // namespace
}  // namespace tolm::platform
