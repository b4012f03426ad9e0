// InitTolmServer7: no window, no command line, no exit code of its own. It runs its main procedure
// for the folder it was started from and ends.
#include "init/initialiser.h"
#include "init/initialiser_desktop.h"
#include "platform/app.h"
#include "ui/current_window_system.h"

#ifdef _WIN32
#include "ui/win32/win32_window_system.h"

#include <cstdint>
#endif

namespace {

void run_for_app_path() {
    tolm::platform::set_app_title(tolm::init::k_title);
    tolm::init::run_initialiser(tolm::platform::app_path());
}

}  // namespace

#ifdef _WIN32
// A GUI-subsystem program starts at WinMain. Its handle types are opaque pointers that this program
// never uses, so they are declared here rather than taken from the platform's headers.
struct HINSTANCE__;
extern "C" int __stdcall WinMain(HINSTANCE__* instance, HINSTANCE__*, char*, int) {
    // Its message boxes are the desktop's, made by the same window system as the server library's.
    try {
        tolm::platform::win32::install_desktop_window_system(reinterpret_cast<std::uintptr_t>(instance));
    } catch (...) {
        // Without the desktop's window system the message boxes still reach the user directly.
        tolm::init::InitialiserDesktop desktop;
        tolm::platform::ScopedWindowSystem use_desktop(desktop);
        run_for_app_path();
        return 0;
    }
    run_for_app_path();
    tolm::platform::win32::uninstall_desktop_window_system(false);
    return 0;
}
#else
int main() {
    tolm::init::InitialiserDesktop desktop;
    tolm::platform::ScopedWindowSystem use_desktop(desktop);
    run_for_app_path();
    return 0;
}
#endif
