#include "platform/window_system.h"

#include "platform/headless/headless_window_system.h"
#include "platform/process_anchor.h"

namespace tolm::platform {

namespace {

// The current window system is one per process, so that answers a host scripts reach the dialogs of
// the server library it loaded.
struct CurrentWindowSystem {
    WindowSystem* installed = nullptr;
    headless::HeadlessWindowSystem* fallback = nullptr;
};

CurrentWindowSystem& current() { return process_shared<CurrentWindowSystem>("tolm.window_system"); }

}  // namespace

WindowSystem& window_system() {
    CurrentWindowSystem& slot = current();
    if (slot.installed) return *slot.installed;
    if (!slot.fallback) slot.fallback = new headless::HeadlessWindowSystem(headless::UnansweredPolicy::default_answer);
    return *slot.fallback;
}

WindowSystem* set_window_system(WindowSystem* system) {
    CurrentWindowSystem& slot = current();
    WindowSystem* previous = slot.installed;
    slot.installed = system;
    return previous;
}

}  // namespace tolm::platform
