#pragma once

// The text of the run-time error an action raises, for tests that check what a user is told.
#include "platform/runtime_error.h"

#include <functional>
#include <string>

namespace tolm::test {

// The error's text, or "no error" when the action went through.
inline std::string error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace tolm::test
