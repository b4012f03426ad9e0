#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <memory>

// The window system of the real Windows desktop: every form becomes a top-level window of the
// client's process with native controls and a menu bar built from its model, and the system's own
// dialogs are the system's. Everything runs on the client's user-interface thread, inside its message
// loop or a modal loop of ours; nothing here starts a thread or a timer.
//
// Window messages become the calls a user's actions make on the model (press_key, type_text,
// click, click_row, Menu::click, close_from_window_menu); the model's changes come back through
// model_changed. The model is the master: a native control never edits itself, it only shows what
// its model holds.
namespace tolm::platform::win32 {

class Win32WindowSystem final : public WindowSystem {
public:
    Win32WindowSystem();
    ~Win32WindowSystem() override;

    WindowHandle create_form_window(forms::Form& form) override;
    void destroy_form_window(forms::Form& form) override;
    void show_form_window(forms::Form& form, bool visible, WindowHandle owner) override;
    void run_modal(forms::Form& form, WindowHandle owner) override;
    void model_changed(forms::Form& form, const forms::Control* control) override;

    std::int32_t message_box(const MessageBoxRequest& request) override;
    FolderBrowseAnswer browse_for_folder(const FolderBrowseRequest& request) override;
    std::optional<std::string> open_file(const OpenFileRequest& request) override;
    std::intptr_t send_message(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                               std::intptr_t lparam) override;

    WindowHandle find_window(const std::string& title) override;
    ScreenMetrics screen_metrics() override;
    void set_mouse_pointer(std::int32_t pointer) override;
    void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command,
                  std::uintptr_t data) override;

    // The native window that shows a control of a loaded form, or 0.
    WindowHandle control_window(const forms::Control& control) const;
    // Destroys every window still open (the library is being unloaded).
    void destroy_all_windows() noexcept;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

// The module whose handle windows are made with and whose window classes are registered: the
// library's own in TolmServer7.dll, the program's elsewhere. Set before the first window.
void set_module_instance(std::uintptr_t instance) noexcept;
std::uintptr_t module_instance() noexcept;

// The Windows library's and the initialiser's set-up: the desktop's window system becomes the
// process's default (installed ones, as tests and hosts install, still come first).
void install_desktop_window_system(std::uintptr_t instance);
// Undoes it as the module unloads: windows left are destroyed and the window classes unregistered,
// so that nothing points into the unloaded code. When the whole process ends, nothing is touched.
void uninstall_desktop_window_system(bool process_ending) noexcept;

}  // namespace tolm::platform::win32
