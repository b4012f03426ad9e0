#pragma once

#include <cstdint>
#include <memory>
#include <string>

// What a process has once, whichever of our modules asks: the window system that shows every form
// and dialog, the table of headless device contexts, the named-mutex markers and the forms' desktop.
//
// On Windows the server is one self-contained DLL and this object is simply that module's own. On
// Linux a host (tolm, the tests, the benchmarks) links the server's code and also loads
// libTolmServer7.so, which carries a second copy of it; the object then has to be the same for both,
// because a picture box's hDC made by the host must name the same surface to the engine inside the
// library, and the answers a host scripts for the library's dialogs must reach them. So on Linux this
// class (and nothing else) is built as the shared library libTolmProcess.so that every module of the
// process links: the dynamic linker loads it once, and its one object exists once by construction.
//
// What crosses into it is C++ (std::string, std::shared_ptr, our interfaces by pointer): every module
// of the process must be built from one source tree with one compiler and standard library, as the
// Linux library's ABI requires anyway (server/frame/posix/com_abi.h).
//
// Everything else stays per module on purpose: the App object (title, help file), the module's own
// path and folder, the settings read from the module's INI file.
// Seen by the library's code, which is built with hidden visibility: these names must still bind to
// the one shared copy.
#if defined(_WIN32)
#define TOLM_PROCESS_API
#else
#define TOLM_PROCESS_API __attribute__((visibility("default")))
#endif

namespace tolm::forms {
class Form;  // only held by address here; the forms toolkit (ui/forms/screen.cpp) keeps the order
}

namespace tolm::platform {

class WindowSystem;
class RasterSurface;

class TOLM_PROCESS_API ProcessServices {
public:
    ProcessServices(const ProcessServices&) = delete;
    ProcessServices& operator=(const ProcessServices&) = delete;

    // The window system a host installed, or null.
    WindowSystem* installed_window_system() const noexcept;
    // Installs one (null uninstalls) and returns the one it replaces.
    WindowSystem* install_window_system(WindowSystem* system) noexcept;
    // The window system that serves while none is installed: made by `make` on first use and kept for
    // the life of the process (the module that made it stays loaded as long).
    WindowSystem& default_window_system(WindowSystem* (*make)());

    // Device contexts: handles are never 0 and never reused in a process.
    std::intptr_t register_surface(std::shared_ptr<RasterSurface> surface);
    std::shared_ptr<RasterSurface> find_surface(std::intptr_t hdc) const;
    void unregister_surface(std::intptr_t hdc);

    // Named-mutex markers: true when the name was not marked before.
    bool mark_mutex(const std::string& name);
    bool mutex_marked(const std::string& name) const;

    // The desktop: shown forms, the most recently activated last, and the mouse pointer over them.
    void form_activated(forms::Form* form);
    void form_deactivated(forms::Form* form) noexcept;
    forms::Form* active_form() const noexcept;
    std::int32_t mouse_pointer() const noexcept;
    void set_mouse_pointer(std::int32_t pointer) noexcept;

private:
    friend TOLM_PROCESS_API ProcessServices& process_services();
    ProcessServices();
    ~ProcessServices();

    struct State;
    std::unique_ptr<State> m_state;
};

// The process's one object.
TOLM_PROCESS_API ProcessServices& process_services();

}  // namespace tolm::platform
