#include "ui/current_window_system.h"

#include "platform/native_desktop.h"
#include "platform/process_services.h"
#include "ui/headless/headless_window_system.h"

namespace tolm::platform {

namespace {

// The desktop's own window system, when the module that owns it put it here (the Windows library's
// entry point). It is the module's, not the process's: each module that links the toolkit has its own.
WindowSystem* desktop_override = nullptr;

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

    // Help goes to the real desktop's help (the guide in a browser on Linux) as well as the record.
    void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command,
                  std::uintptr_t data) override {
        HeadlessWindowSystem::win_help(owner, help_file, command, data);
        native::win_help(owner, help_file, command, data);
    }
};

WindowSystem* make_default() { return new DefaultWindowSystem(); }

}  // namespace

// The current window system is one per process (platform/process_services.h), so that answers a host
// scripts reach the dialogs of the server library it loaded.
WindowSystem& window_system() {
    ProcessServices& services = process_services();
    if (WindowSystem* installed = services.installed_window_system()) return *installed;
    if (desktop_override) return *desktop_override;
    return services.default_window_system(&make_default);
}

WindowSystem* set_window_system(WindowSystem* system) { return process_services().install_window_system(system); }

void set_default_window_system(WindowSystem* system) { desktop_override = system; }

WindowSystem* default_window_system_override() { return desktop_override; }

}  // namespace tolm::platform
