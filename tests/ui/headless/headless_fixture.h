#pragma once

#include "ui/headless/headless_window_system.h"
#include "ui/current_window_system.h"

#include <gtest/gtest.h>

namespace tolm::testing {

// Every test gets its own headless desktop that fails loudly on a dialog nobody answered.
class HeadlessTest : public ::testing::Test {
protected:
    platform::headless::HeadlessWindowSystem desktop{platform::headless::UnansweredPolicy::fail};

private:
    platform::ScopedWindowSystem m_installed{desktop};
};

}  // namespace tolm::testing
