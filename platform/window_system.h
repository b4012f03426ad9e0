#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The window system port. Forms are models (ui/forms); a window system only shows them, runs
// their modal loops and shows the system's own dialogs (message boxes, the folder browser and the
// open-file dialog). The headless backend answers those from a script and records what was shown;
// a Win32 backend builds real windows from the same models.
namespace tolm::forms {
class Form;
class Control;
}  // namespace tolm::forms

namespace tolm::platform {

// A window handle as the client passes it (hWnd): 0 is no window.
using WindowHandle = std::uintptr_t;

// The screen in pixels and the twips each pixel covers (15 at 96 dpi).
struct ScreenMetrics {
    std::int32_t width_pixels = 1024;
    std::int32_t height_pixels = 768;
    std::int32_t twips_per_pixel_x = 15;
    std::int32_t twips_per_pixel_y = 15;

    std::int32_t width_twips() const noexcept { return width_pixels * twips_per_pixel_x; }
    std::int32_t height_twips() const noexcept { return height_pixels * twips_per_pixel_y; }
};

// Message box styles and results, with the values the runtime's MsgBox uses.
namespace message_box_style {
constexpr std::uint32_t ok_only = 0;
constexpr std::uint32_t ok_cancel = 1;
constexpr std::uint32_t abort_retry_ignore = 2;
constexpr std::uint32_t yes_no_cancel = 3;
constexpr std::uint32_t yes_no = 4;
constexpr std::uint32_t retry_cancel = 5;
constexpr std::uint32_t buttons_mask = 0x0F;
constexpr std::uint32_t critical = 16;
constexpr std::uint32_t question = 32;
constexpr std::uint32_t exclamation = 48;
constexpr std::uint32_t information = 64;
constexpr std::uint32_t icon_mask = 0xF0;
constexpr std::uint32_t default_button2 = 256;
constexpr std::uint32_t default_button3 = 512;
constexpr std::uint32_t default_button_mask = 0xF00;
}  // namespace message_box_style

namespace message_box_result {
constexpr std::int32_t ok = 1;
constexpr std::int32_t cancel = 2;
constexpr std::int32_t abort = 3;
constexpr std::int32_t retry = 4;
constexpr std::int32_t ignore = 5;
constexpr std::int32_t yes = 6;
constexpr std::int32_t no = 7;
}  // namespace message_box_result

struct MessageBoxRequest {
    WindowHandle owner = 0;
    std::string text;
    std::string title;
    std::uint32_t style = 0;
};

// The folder browse dialog's callback, with the shell's arguments: the dialog window, a message
// (BFFM_INITIALIZED when the dialog has opened), a message argument and the caller's data. Portable
// code passes a plain function; a Win32 backend calls it from its own trampoline.
using BrowseCallbackProc = std::int32_t (*)(WindowHandle dialog, std::uint32_t message, std::intptr_t argument,
                                            std::intptr_t data);

namespace browse_flags {
constexpr std::uint32_t return_only_file_system_folders = 1;  // BIF_RETURNONLYFSDIRS
constexpr std::uint32_t dont_go_below_domain = 2;             // BIF_DONTGOBELOWDOMAIN
}  // namespace browse_flags

// Messages of the folder browse dialog.
constexpr std::uint32_t BFFM_INITIALIZED = 1;
constexpr std::uint32_t BFFM_SELCHANGED = 2;
constexpr std::uint32_t BFFM_SETSELECTIONA = 0x400 + 102;  // 1126: lParam is an ANSI path when wParam is TRUE

struct FolderBrowseRequest {
    WindowHandle owner = 0;
    std::string title;  // UTF-8; a Win32 backend converts it to the ANSI code page
    std::uint32_t flags = 0;
    BrowseCallbackProc callback = nullptr;
    std::intptr_t callback_data = 0;
};

// What the folder dialog gives back: nothing when cancelled; otherwise the picked item's file-system
// path as the shell spells it (a drive root keeps its "\", other folders have none), or an empty
// path when the picked item is not a file-system folder.
using FolderBrowseAnswer = std::optional<std::string>;

struct OpenFileRequest {
    WindowHandle owner = 0;
    std::string title;
    std::string initial_folder;
    std::string filter;  // display text and pattern pairs separated by "|": "INF files|*.INF"
    std::uint32_t flags = 0;
    std::int32_t max_file_size = 0;
};

namespace open_file_flags {
constexpr std::uint32_t hide_read_only = 4;     // OFN_HIDEREADONLY
constexpr std::uint32_t no_change_dir = 8;      // OFN_NOCHANGEDIR
constexpr std::uint32_t file_must_exist = 4096;  // OFN_FILEMUSTEXIST
}  // namespace open_file_flags

// WinHelp commands.
constexpr std::uint32_t HELP_CONTEXT = 1;
constexpr std::uint32_t HELP_QUIT = 2;
constexpr std::uint32_t HELP_FINDER = 11;

// Cursor shapes as the runtime's MousePointer numbers them.
namespace mouse_pointer {
constexpr std::int32_t default_pointer = 0;
constexpr std::int32_t arrow = 1;
constexpr std::int32_t hourglass = 11;
}  // namespace mouse_pointer

class WindowSystem {
public:
    WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;
    virtual ~WindowSystem() = default;

    // A form was loaded: make its (hidden) top-level window and return its handle. Unloading destroys it.
    virtual WindowHandle create_form_window(forms::Form& form) = 0;
    virtual void destroy_form_window(forms::Form& form) = 0;
    // Show or hide a loaded form's window without a modal loop; the owner window stays below it.
    virtual void show_form_window(forms::Form& form, bool visible, WindowHandle owner) = 0;
    // Runs a modal loop for a form that has just been made visible: returns once the form is hidden or
    // unloaded. Its owner is disabled meanwhile.
    virtual void run_modal(forms::Form& form, WindowHandle owner) = 0;
    // A property that shows on screen changed (caption, position, a control's text, a menu item...).
    // control is null for the form itself and its menus.
    virtual void model_changed(forms::Form& form, const forms::Control* control) = 0;

    // MsgBox: the number of the button pressed.
    virtual std::int32_t message_box(const MessageBoxRequest& request) = 0;
    virtual FolderBrowseAnswer browse_for_folder(const FolderBrowseRequest& request) = 0;
    // The chosen file's full path, or nothing when cancelled.
    virtual std::optional<std::string> open_file(const OpenFileRequest& request) = 0;
    // SendMessageA to a window of this system (the folder dialog's callback uses it).
    virtual std::intptr_t send_message(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                       std::intptr_t lparam) = 0;

    // FindWindowA with no class name: the first top-level window with exactly this title, or 0.
    virtual WindowHandle find_window(const std::string& title) = 0;
    virtual ScreenMetrics screen_metrics() = 0;
    virtual void set_mouse_pointer(std::int32_t pointer) = 0;
    // WinHelpA; the result is not used by anyone.
    virtual void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command,
                          std::uintptr_t data) = 0;
};

}  // namespace tolm::platform
