#include "platform/process_anchor.h"

#include <gtest/gtest.h>

#include <string>

namespace tolm::platform {
namespace {

TEST(ProcessAnchor, OneObjectPerNameForTheLifeOfTheProcess) {
    int& a = process_shared<int>("tolm-test-counter");
    a = 41;
    EXPECT_EQ(&process_shared<int>("tolm-test-counter"), &a);
    EXPECT_EQ(process_shared<int>("tolm-test-counter"), 41);
    EXPECT_NE(static_cast<void*>(&process_shared<std::string>("tolm-test-other")), static_cast<void*>(&a));
    EXPECT_THROW(process_anchor(std::string(64, 'x').c_str(), [] () -> void* { return nullptr; }), std::invalid_argument);
}

}  // namespace
}  // namespace tolm::platform
