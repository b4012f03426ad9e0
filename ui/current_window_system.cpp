#include "ui/current_window_system.h"

#include "platform/native_desktop.h"
#include "platform/process_anchor.h"
#include "ui/headless/headless_window_system.h"

namespace tolm::platform {

namespace {

// The current window system is one per process, so that answers a host scripts reach the dialogs of
// the server library it loaded.
struct CurrentWindowSystem {
    WindowSystem* installed = nullptr;
    // The desktop's own window system, when the module that owns it put it here.
    WindowSystem* desktop = nullptr;
    headless::HeadlessWindowSystem* fallback = nullptr;
};

// The default answers dialogs headlessly but looks for other programs' windows on the real desktop:
// the render checks for the client's main window by its title before every paint, and in the
// Windows library loaded by the real client that window exists. (On Linux nothing is found there.)
class DefaultWindowSystem final : public headless::HeadlessWindowSystem {
public:
    DefaultWindowSystem() : HeadlessWindowSystem(headless::UnansweredPolicy::default_answer) {}

    WindowHandle find_window(const std::string& title) override {
        if (const WindowHandle own = HeadlessWindowSystem::find_window(title)) return own;
        return native::find_window(title);
    }
};

CurrentWindowSystem& current() { return process_shared<CurrentWindowSystem>("tolm.window_system"); }

}  // namespace

WindowSystem& window_system() {
    CurrentWindowSystem& slot = current();
    if (slot.installed) return *slot.installed;
    if (slot.desktop) return *slot.desktop;
    if (!slot.fallback) slot.fallback = new DefaultWindowSystem();
    return *slot.fallback;
}

WindowSystem* set_window_system(WindowSystem* system) {
    CurrentWindowSystem& slot = current();
    WindowSystem* previous = slot.installed;
    slot.installed = system;
    return previous;
}

void set_default_window_system(WindowSystem* system) { current().desktop = system; }

WindowSystem* default_window_system_override() { return current().desktop; }

}  // namespace tolm::platform
