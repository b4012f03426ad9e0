#pragma once

#include "platform/window_system.h"

// Which window system shows the forms and dialogs of this process.
namespace tolm::platform {

// The process's current window system. Until one is installed, a headless one that answers every
// dialog with its default (message boxes their default button, file and folder dialogs cancel, modal
// forms a close from the window menu) serves.
WindowSystem& window_system();

// Installs a window system (nullptr goes back to the default) and returns the one it replaces.
WindowSystem* set_window_system(WindowSystem* system);

// The window system that serves while none is installed. The Windows library and the initialiser
// put the real desktop's here; nullptr goes back to the headless default. Installed systems (a test's,
// a host's) still come first.
void set_default_window_system(WindowSystem* system);
WindowSystem* default_window_system_override();

// Installs a window system for the lifetime of a scope (a test, a host run).
class ScopedWindowSystem {
public:
    explicit ScopedWindowSystem(WindowSystem& system) : m_previous(set_window_system(&system)) {}
    ScopedWindowSystem(const ScopedWindowSystem&) = delete;
    ScopedWindowSystem& operator=(const ScopedWindowSystem&) = delete;
    ~ScopedWindowSystem() { set_window_system(m_previous); }

private:
    WindowSystem* m_previous;
};

}  // namespace tolm::platform
