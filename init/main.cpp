// InitTolmServer7: no window, no command line, no exit code of its own. It runs its main procedure
// for the folder it was started from and ends.
#include "init/initialiser.h"
#include "init/initialiser_desktop.h"
#include "platform/app.h"
#include "ui/current_window_system.h"

namespace {

int run() {
    tolm::platform::set_app_title(tolm::init::k_title);
    tolm::init::InitialiserDesktop desktop;
    tolm::platform::ScopedWindowSystem use_desktop(desktop);
    tolm::init::run_initialiser(tolm::platform::app_path());
    return 0;
}

}  // namespace

#ifdef _WIN32
// A GUI-subsystem program starts at WinMain. Its handle types are opaque pointers that this program
// never uses, so they are declared here rather than taken from the platform's headers.
struct HINSTANCE__;
extern "C" int __stdcall WinMain(HINSTANCE__*, HINSTANCE__*, char*, int) { return run(); }
#else
int main() { return run(); }
#endif
