#include "ui/win32/win32_window_system.h"

#include "platform/native_desktop.h"
#include "platform/runtime_error.h"
#include "platform/text.h"
#include "ui/current_window_system.h"
#include "ui/forms/buttons.h"
#include "ui/forms/form.h"
#include "ui/forms/keys.h"
#include "ui/forms/list_box.h"
#include "ui/forms/menu.h"
#include "ui/forms/screen.h"
#include "ui/forms/static_controls.h"
#include "ui/forms/text_box.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

namespace tolm::platform::win32 {

namespace {

constexpr const char* k_source = "Win32WindowSystem";
constexpr const char* k_form_class = "TolmServer7.Form";
constexpr const char* k_picture_class = "TolmServer7.Picture";
// Where a picture box window keeps its background colour (its class's extra bytes).
constexpr int k_picture_colour = 0;
constexpr UINT k_first_control_id = 100;
constexpr UINT k_first_menu_id = 1000;
// Posted to a form window so that focus and selection set by code reach the native controls once the
// model's own work (Show's activation, an event handler) is done.
constexpr UINT k_sync_message = WM_APP + 0x17;

std::uintptr_t g_instance = 0;
bool g_classes_registered = false;

HINSTANCE instance_handle() {
    if (g_instance) return reinterpret_cast<HINSTANCE>(g_instance);
    return GetModuleHandleA(nullptr);
}

HWND to_hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }
WindowHandle to_handle(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

HBRUSH system_brush(int index) { return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(index + 1)); }

LPCSTR resource_id(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(id)); }

std::string ansi(std::string_view utf8) { return utf8_to_ansi(utf8); }

std::string window_text(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

char access_key_of(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

std::int32_t shift_state() {
    std::int32_t shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= forms::shift_state::shift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= forms::shift_state::ctrl;
    if (GetKeyState(VK_MENU) < 0) shift |= forms::shift_state::alt;
    return shift;
}

enum class Kind { label, frame, command_button, option_button, text_box, list_box, picture_box };

Kind kind_of(const forms::Control& control) {
    if (dynamic_cast<const forms::Label*>(&control)) return Kind::label;
    if (dynamic_cast<const forms::Frame*>(&control)) return Kind::frame;
    if (dynamic_cast<const forms::CommandButton*>(&control)) return Kind::command_button;
    if (dynamic_cast<const forms::OptionButton*>(&control)) return Kind::option_button;
    if (dynamic_cast<const forms::TextBox*>(&control)) return Kind::text_box;
    if (dynamic_cast<const forms::ListBox*>(&control)) return Kind::list_box;
    if (dynamic_cast<const forms::PictureBox*>(&control)) return Kind::picture_box;
    throw RuntimeError(runtime_errors::invalid_procedure_call, k_source,
                       "Control '" + control.name() + "' of form '" + control.form().name() +
                           "' is of a kind the Windows desktop cannot show (" + typeid(control).name() + ")");
}

// The border and caption that form sizes in twips were designed with: the classic look at 96 dpi.
// The window gets the client area those sizes leave, whatever the borders of the running system.
struct DesignFrame {
    int width;
    int height;
};

DesignFrame design_frame(forms::BorderStyle style, bool has_menu) {
    using forms::BorderStyle;
    int frame = 0;
    int caption = 0;
    switch (style) {
    case BorderStyle::none: break;
    case BorderStyle::fixed_single:
    case BorderStyle::fixed_dialog: frame = 3; caption = 19; break;
    case BorderStyle::sizable: frame = 4; caption = 19; break;
    case BorderStyle::fixed_tool_window: frame = 3; caption = 16; break;
    case BorderStyle::sizable_tool_window: frame = 4; caption = 16; break;
    }
    return DesignFrame{2 * frame, 2 * frame + caption + (has_menu ? 19 : 0)};
}

struct WindowStyle {
    DWORD style;
    DWORD ex_style;
};

WindowStyle style_of(const forms::Form& form) {
    using forms::BorderStyle;
    DWORD style = WS_CLIPCHILDREN;
    DWORD ex_style = 0;
    switch (form.border_style()) {
    case BorderStyle::none: style |= WS_POPUP; break;
    case BorderStyle::fixed_single: style |= WS_CAPTION | WS_SYSMENU; break;
    case BorderStyle::sizable: style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; break;
    case BorderStyle::fixed_dialog:
        style |= WS_CAPTION | WS_SYSMENU;
        ex_style |= WS_EX_DLGMODALFRAME;
        break;
    case BorderStyle::fixed_tool_window:
        style |= WS_CAPTION | WS_SYSMENU;
        ex_style |= WS_EX_TOOLWINDOW;
        break;
    case BorderStyle::sizable_tool_window:
        style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
        ex_style |= WS_EX_TOOLWINDOW;
        break;
    }
    const bool has_caption = form.border_style() != BorderStyle::none;
    const bool tool = form.border_style() == BorderStyle::fixed_tool_window ||
                      form.border_style() == BorderStyle::sizable_tool_window;
    if (has_caption && !tool && form.min_button()) style |= WS_MINIMIZEBOX;
    if (has_caption && !tool && form.max_button()) style |= WS_MAXIMIZEBOX;
    return WindowStyle{style, ex_style};
}

struct FormWindow;

struct ControlWindow {
    FormWindow* owner = nullptr;
    const forms::Control* control = nullptr;  // compared, never followed: see live_control
    Kind kind = Kind::label;
    HWND hwnd = nullptr;
    WNDPROC original = nullptr;
    // What the native control shows, to change only what differs.
    std::vector<std::string> rows;
    std::vector<bool> checks;
    std::int32_t pushed_sel_start = -1;
    std::int32_t pushed_sel_length = -1;
    // A picture box that redraws itself (AutoRedraw): its device context draws into this image,
    // which is shown whenever the window paints, so what was drawn before the window was seen (or
    // while it was covered) stays.
    HDC image_dc = nullptr;
    HBITMAP image = nullptr;
    HGDIOBJ first_bitmap = nullptr;
    SIZE image_size{};

    ControlWindow() = default;
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;
    ~ControlWindow() {
        if (!image_dc) return;
        if (first_bitmap) SelectObject(image_dc, first_bitmap);
        if (image) DeleteObject(image);
        DeleteDC(image_dc);
    }

    // Gives the image this size, keeping what was drawn and filling the rest with the colour.
    void size_image(int width, int height, COLORREF colour) {
        if (!image_dc || width <= 0 || height <= 0) return;
        if (image && image_size.cx == width && image_size.cy == height) return;
        HDC screen = GetDC(hwnd);
        HBITMAP resized = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(hwnd, screen);
        if (!resized) return;
        HDC scratch = CreateCompatibleDC(image_dc);
        HGDIOBJ scratch_first = SelectObject(scratch, resized);
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all{0, 0, width, height};
        FillRect(scratch, &all, brush);
        DeleteObject(brush);
        if (image) BitBlt(scratch, 0, 0, image_size.cx, image_size.cy, image_dc, 0, 0, SRCCOPY);
        SelectObject(scratch, scratch_first);
        DeleteDC(scratch);
        HGDIOBJ previous = SelectObject(image_dc, resized);
        if (!first_bitmap) first_bitmap = previous;
        if (image) DeleteObject(image);
        image = resized;
        image_size = SIZE{width, height};
    }
    void clear_image(COLORREF colour) {
        if (!image) return;
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all{0, 0, image_size.cx, image_size.cy};
        FillRect(image_dc, &all, brush);
        DeleteObject(brush);
    }
};

// The shape of a menu bar as last built: what each item showed.
struct MenuItemShape {
    const forms::Menu* menu;
    std::string caption;
    bool checked;
    bool enabled;
    bool visible;
    bool has_items;
    bool operator==(const MenuItemShape&) const = default;
};

struct FormWindow : std::enable_shared_from_this<FormWindow> {
    Win32WindowSystem::Impl* system = nullptr;
    forms::Form* form = nullptr;  // null once the form has dropped its window
    HWND hwnd = nullptr;
    HMENU menu = nullptr;
    std::vector<forms::Menu*> menu_items;      // by command id - k_first_menu_id
    std::vector<MenuItemShape> menu_shape;
    std::map<HMENU, std::size_t> popups;       // a submenu and the item that opens it
    bool in_menu_loop = false;
    bool menu_dirty = false;
    std::map<const forms::Control*, std::unique_ptr<ControlWindow>> controls;
    // Windows of controls that went while a message of theirs may still be on the stack.
    std::vector<std::unique_ptr<ControlWindow>> retired;
    UINT next_control_id = k_first_control_id;
    HWND disabled_owner = nullptr;
    // A key whose KeyPress the key-down already raised (Enter, Escape, Backspace, Space, Tab): its
    // WM_CHAR is not a second key.
    int char_raised = -1;
    const forms::Control* pushed_focus = nullptr;
    bool sync_posted = false;
    bool pulling_state = false;
};

LRESULT CALLBACK form_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK picture_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

void register_classes() {
    if (g_classes_registered) return;
    WNDCLASSEXA form_class{};
    form_class.cbSize = sizeof form_class;
    form_class.style = CS_DBLCLKS;
    form_class.lpfnWndProc = form_proc;
    form_class.hInstance = instance_handle();
    form_class.hCursor = LoadCursorA(nullptr, resource_id(32512));  // IDC_ARROW
    form_class.hbrBackground = system_brush(COLOR_BTNFACE);
    form_class.lpszClassName = k_form_class;
    if (!RegisterClassExA(&form_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw RuntimeError(runtime_errors::invalid_procedure_call, k_source,
                           "Cannot register the window class of the server's forms (system error " +
                               std::to_string(GetLastError()) + ")");
    }
    WNDCLASSEXA picture_class = form_class;
    picture_class.style = CS_DBLCLKS | CS_OWNDC;
    picture_class.lpfnWndProc = picture_proc;
    picture_class.hbrBackground = nullptr;
    // The colour lives in the window's own extra bytes: the user data is the control's, as for the
    // system's controls, so that keys reach the form whichever control has the focus.
    picture_class.cbWndExtra = sizeof(LONG_PTR);
    picture_class.lpszClassName = k_picture_class;
    if (!RegisterClassExA(&picture_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        UnregisterClassA(k_form_class, instance_handle());
        throw RuntimeError(runtime_errors::invalid_procedure_call, k_source,
                           "Cannot register the window class of the server's picture boxes (system error " +
                               std::to_string(GetLastError()) + ")");
    }
    g_classes_registered = true;
}

void unregister_classes() noexcept {
    if (!g_classes_registered) return;
    UnregisterClassA(k_form_class, instance_handle());
    UnregisterClassA(k_picture_class, instance_handle());
    g_classes_registered = false;
}

int CALLBACK font_found(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM data) {
    *reinterpret_cast<bool*>(data) = true;
    return 0;
}

HFONT create_dialog_font() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    // The dialog font of the era; where the system lacks it, the one it uses for message boxes.
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    bool found = false;
    if (screen) {
        EnumFontFamiliesExA(screen, &wanted, font_found, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
    }
    if (found) {
        LOGFONTA font{};
        font.lfHeight = -MulDiv(8, dpi, 72);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
        if (HFONT made = CreateFontIndirectA(&font)) return made;
    }
    NONCLIENTMETRICSA metrics{};
    // The structure of the older systems, which the newer ones accept as well.
    metrics.cbSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA));
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        if (HFONT made = CreateFontIndirectA(&metrics.lfMessageFont)) return made;
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HCURSOR cursor_for(std::int32_t pointer) {
    WORD id = 0;
    switch (pointer) {
    case 1: id = 32512; break;   // arrow
    case 2: id = 32515; break;   // cross
    case 3: id = 32513; break;   // I-beam
    case 11: id = 32514; break;  // hourglass
    case 12: id = 32648; break;  // no
    case 13: id = 32650; break;  // arrow and hourglass
    default: return nullptr;
    }
    return LoadCursorA(nullptr, resource_id(id));
}

}  // namespace

struct Win32WindowSystem::Impl {
    std::vector<std::shared_ptr<FormWindow>> windows;
    HFONT font = nullptr;
    std::optional<ScreenMetrics> metrics;
    std::int32_t pointer = mouse_pointer::default_pointer;
    // Set while this system moves the native focus itself, so the controls' WM_SETFOCUS is not news.
    int pushing_focus = 0;

    ~Impl() {
        if (font && font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
    }

    HFONT dialog_font() {
        if (!font) font = create_dialog_font();
        return font;
    }

    const ScreenMetrics& screen() {
        if (!metrics) metrics = native::screen_metrics();
        return *metrics;
    }
    int to_pixels_x(std::int32_t twips) {
        const int per = std::max(screen().twips_per_pixel_x, 1);
        return (twips >= 0 ? twips + per / 2 : twips - per / 2) / per;
    }
    int to_pixels_y(std::int32_t twips) {
        const int per = std::max(screen().twips_per_pixel_y, 1);
        return (twips >= 0 ? twips + per / 2 : twips - per / 2) / per;
    }

    std::shared_ptr<FormWindow> find(const forms::Form& form) const {
        for (const auto& window : windows) {
            if (window->form == &form) return window;
        }
        return nullptr;
    }

    // ---- Forms ------------------------------------------------------------------------------------
    void place_form(FormWindow& window);
    void pull_place(FormWindow& window);
    void sync_form(FormWindow& window);
    void sync_menu(FormWindow& window);
    void build_menu(FormWindow& window, const std::vector<MenuItemShape>& shape);
    void reconcile_controls(FormWindow& window);
    void create_control(FormWindow& window, forms::Control& control, Kind kind);
    void sync_control(FormWindow& window, forms::Control& control, ControlWindow& native);
    void sync_list(forms::ListBox& list, ControlWindow& native);
    void after_event(FormWindow& window);
    void post_sync(FormWindow& window);
    void restore_owner(FormWindow& window);

    // ---- Input -------------------------------------------------------------------------------------
    bool key_down(FormWindow& window, WPARAM key);
    bool character(FormWindow& window, WPARAM code);
    bool access_key(FormWindow& window, WPARAM code);
    void pull_selection(FormWindow& window);
    void command(FormWindow& window, WPARAM wparam, LPARAM lparam);
    void menu_command(FormWindow& window, UINT id);
    void popup_opening(FormWindow& window, HMENU popup);
    void draw_list_row(FormWindow& window, const DRAWITEMSTRUCT& item);
    LRESULT form_message(FormWindow& window, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT control_message(FormWindow& window, ControlWindow& native, HWND hwnd, UINT message, WPARAM wparam,
                            LPARAM lparam);
};

namespace {

// The control a native window shows, if it still exists on its form: only controls found among the
// form's live controls are ever touched.
forms::Control* live_control(const FormWindow& window, const forms::Control* wanted) {
    if (!window.form || !wanted) return nullptr;
    for (forms::Control* control : window.form->controls()) {
        if (control == wanted) return control;
    }
    return nullptr;
}

ControlWindow* native_of(FormWindow& window, HWND hwnd) {
    for (auto& [control, native] : window.controls) {
        if (native->hwnd == hwnd) return native.get();
    }
    return nullptr;
}

void collect_menu(const std::vector<forms::Menu*>& items, std::vector<forms::Menu*>& order,
                  std::vector<MenuItemShape>& shape) {
    for (forms::Menu* item : items) {
        order.push_back(item);
        shape.push_back(MenuItemShape{item, item->caption(), item->checked(), item->enabled(), item->visible(),
                                      !item->items().empty()});
        collect_menu(item->items(), order, shape);
    }
}

bool same_structure(const std::vector<MenuItemShape>& a, const std::vector<MenuItemShape>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].menu != b[i].menu || a[i].visible != b[i].visible || a[i].has_items != b[i].has_items) return false;
        if (a[i].has_items && !(a[i] == b[i])) return false;
        if ((a[i].caption == "-") != (b[i].caption == "-")) return false;
    }
    return true;
}

template <class F>
LRESULT guarded(F&& body, LRESULT failed) noexcept {
    // No C++ exception may cross into the system's code that called the window procedure.
    try {
        return body();
    } catch (const std::exception& error) {
        OutputDebugStringA((std::string("TolmServer7: ") + error.what() + "\n").c_str());
    } catch (...) {
        OutputDebugStringA("TolmServer7: unknown failure in a window procedure\n");
    }
    return failed;
}

LRESULT CALLBACK form_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        if (auto* window = static_cast<FormWindow*>(create->lpCreateParams)) window->hwnd = hwnd;
    }
    auto* raw = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!raw) return DefWindowProcA(hwnd, message, wparam, lparam);
    // The record outlives this call even if the form drops its window meanwhile.
    std::shared_ptr<FormWindow> keep = raw->weak_from_this().lock();
    if (!keep) return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        keep->hwnd = nullptr;
        keep->menu = nullptr;  // destroyed with the window
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
    return guarded([&] { return keep->system->form_message(*keep, hwnd, message, wparam, lparam); }, 0);
}

LRESULT CALLBACK control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* native = reinterpret_cast<ControlWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!native || !native->original) return DefWindowProcA(hwnd, message, wparam, lparam);
    const WNDPROC original = native->original;
    std::shared_ptr<FormWindow> keep = native->owner->weak_from_this().lock();
    if (!keep) return CallWindowProcA(original, hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        native->hwnd = nullptr;
        return CallWindowProcA(original, hwnd, message, wparam, lparam);
    }
    return guarded(
        [&] { return keep->system->control_message(*keep, *native, hwnd, message, wparam, lparam); },
        0);
}

LRESULT CALLBACK picture_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ERASEBKGND) {
        const COLORREF colour = static_cast<COLORREF>(GetWindowLongPtrA(hwnd, k_picture_colour));
        RECT area{};
        GetClientRect(hwnd, &area);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(reinterpret_cast<HDC>(wparam), &area, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

// The picture box's colour: the runtime's system colours have the high bit set.
COLORREF colour_of(std::uint32_t colour) {
    if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0xFFFFFF);
}

// The browse dialog calls back in the shell's calling convention; the caller's function is portable.
struct BrowseContext {
    BrowseCallbackProc callback;
    std::intptr_t data;
};

int CALLBACK browse_trampoline(HWND dialog, UINT message, LPARAM argument, LPARAM data) {
    const auto* context = reinterpret_cast<const BrowseContext*>(data);
    if (!context || !context->callback) return 0;
    try {
        return context->callback(to_handle(dialog), message, argument, context->data);
    } catch (...) {
        return 0;
    }
}

}  // namespace

// ---- Forms ------------------------------------------------------------------------------------------

void Win32WindowSystem::Impl::place_form(FormWindow& window) {
    forms::Form& form = *window.form;
    const WindowStyle style = style_of(form);
    const bool has_menu = window.menu != nullptr;
    const DesignFrame design = design_frame(form.border_style(), has_menu);
    RECT area{0, 0, std::max(to_pixels_x(form.width()) - design.width, 0),
              std::max(to_pixels_y(form.height()) - design.height, 0)};
    AdjustWindowRectEx(&area, style.style, has_menu ? TRUE : FALSE, style.ex_style);
    if (IsIconic(window.hwnd) || IsZoomed(window.hwnd)) return;
    const int x = to_pixels_x(form.left());
    const int y = to_pixels_y(form.top());
    RECT now{};
    GetWindowRect(window.hwnd, &now);
    if (now.left == x && now.top == y && now.right - now.left == area.right - area.left &&
        now.bottom - now.top == area.bottom - area.top) {
        return;
    }
    SetWindowPos(window.hwnd, nullptr, x, y, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The user moved or sized the window: the model takes the new place, in the same measure it gives.
void Win32WindowSystem::Impl::pull_place(FormWindow& window) {
    if (!window.form || !window.hwnd || IsIconic(window.hwnd) || IsZoomed(window.hwnd)) return;
    forms::Form& form = *window.form;
    const WindowStyle style = style_of(form);
    const bool has_menu = window.menu != nullptr;
    const DesignFrame design = design_frame(form.border_style(), has_menu);
    RECT outer{};
    GetWindowRect(window.hwnd, &outer);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style.style, has_menu ? TRUE : FALSE, style.ex_style);
    const int width = (outer.right - outer.left) - (frame.right - frame.left) + design.width;
    const int height = (outer.bottom - outer.top) - (frame.bottom - frame.top) + design.height;
    const ScreenMetrics& metrics_now = screen();
    const std::int32_t left = outer.left * metrics_now.twips_per_pixel_x;
    const std::int32_t top = outer.top * metrics_now.twips_per_pixel_y;
    // Sizes the window could not take (below the smallest window) stay as the model has them.
    const bool sized = to_pixels_x(form.width()) != width || to_pixels_y(form.height()) != height;
    const std::int32_t new_width = sized ? width * metrics_now.twips_per_pixel_x : form.width();
    const std::int32_t new_height = sized ? height * metrics_now.twips_per_pixel_y : form.height();
    if (to_pixels_x(form.left()) == outer.left && to_pixels_y(form.top()) == outer.top && !sized) return;
    form.move(left, top, std::max(new_width, 0), std::max(new_height, 0));
}

void Win32WindowSystem::Impl::sync_form(FormWindow& window) {
    if (!window.form || !window.hwnd) return;
    forms::Form& form = *window.form;
    const std::string caption = ansi(form.caption());
    if (window_text(window.hwnd) != caption) SetWindowTextA(window.hwnd, caption.c_str());

    const WindowStyle wanted = style_of(form);
    const DWORD style_bits = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const DWORD ex_bits = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW;
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(window.hwnd, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrA(window.hwnd, GWL_EXSTYLE));
    if ((style & style_bits) != (wanted.style & style_bits) || (ex_style & ex_bits) != (wanted.ex_style & ex_bits)) {
        SetWindowLongPtrA(window.hwnd, GWL_STYLE, static_cast<LONG_PTR>((style & ~style_bits) | (wanted.style & style_bits)));
        SetWindowLongPtrA(window.hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>((ex_style & ~ex_bits) | (wanted.ex_style & ex_bits)));
        SetWindowPos(window.hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    sync_menu(window);
    if (!window.form) return;
    place_form(window);

    if (form.visible() && !window.pulling_state) {
        const bool minimized = IsIconic(window.hwnd) != 0;
        const bool maximized = IsZoomed(window.hwnd) != 0;
        switch (form.window_state()) {
        case forms::WindowState::normal:
            if (minimized || maximized) ShowWindow(window.hwnd, SW_RESTORE);
            break;
        case forms::WindowState::minimized:
            if (!minimized) ShowWindow(window.hwnd, SW_MINIMIZE);
            break;
        case forms::WindowState::maximized:
            if (!maximized) ShowWindow(window.hwnd, SW_MAXIMIZE);
            break;
        }
    }
}

void Win32WindowSystem::Impl::sync_menu(FormWindow& window) {
    std::vector<forms::Menu*> order;
    std::vector<MenuItemShape> shape;
    collect_menu(window.form->menu_bar(), order, shape);
    if (shape == window.menu_shape) return;
    if (window.in_menu_loop) {
        // An open menu cannot be rebuilt under the user's pointer: check marks, enabled states and
        // captions of plain items change in place; anything else waits for the menu to close.
        if (!same_structure(shape, window.menu_shape) || !window.menu) {
            window.menu_dirty = true;
            return;
        }
        for (std::size_t i = 0; i < shape.size(); ++i) {
            if (shape[i] == window.menu_shape[i] || shape[i].caption == "-") continue;
            const UINT id = k_first_menu_id + static_cast<UINT>(i);
            CheckMenuItem(window.menu, id, MF_BYCOMMAND | (shape[i].checked ? MF_CHECKED : MF_UNCHECKED));
            EnableMenuItem(window.menu, id, MF_BYCOMMAND | (shape[i].enabled ? MF_ENABLED : MF_GRAYED));
            const std::string caption = ansi(shape[i].caption);
            ModifyMenuA(window.menu, id,
                        MF_BYCOMMAND | MF_STRING | (shape[i].checked ? MF_CHECKED : 0) | (shape[i].enabled ? 0 : MF_GRAYED),
                        id, caption.c_str());
        }
        window.menu_shape = std::move(shape);
        window.menu_items = std::move(order);
        return;
    }
    window.menu_items = std::move(order);
    build_menu(window, shape);
    window.menu_shape = std::move(shape);
}

void Win32WindowSystem::Impl::build_menu(FormWindow& window, const std::vector<MenuItemShape>& shape) {
    window.popups.clear();
    std::size_t next = 0;
    // Fills a menu with the items of one level; next walks the shape in the same order it was taken.
    auto fill = [&](auto&& self, HMENU target, const std::vector<forms::Menu*>& items) -> void {
        for (forms::Menu* item : items) {
            const std::size_t index = next++;
            const MenuItemShape& seen = shape[index];
            if (!seen.visible) {
                // Hidden items take their items with them.
                std::vector<forms::Menu*> skipped;
                std::vector<MenuItemShape> ignored;
                collect_menu(item->items(), skipped, ignored);
                next += skipped.size();
                continue;
            }
            const UINT flags = (seen.checked ? MF_CHECKED : 0) | (seen.enabled ? 0 : MF_GRAYED);
            const std::string caption = ansi(seen.caption);
            if (seen.caption == "-") {
                AppendMenuA(target, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            if (seen.has_items) {
                HMENU popup = CreatePopupMenu();
                self(self, popup, item->items());
                AppendMenuA(target, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
                window.popups[popup] = index;
            } else {
                AppendMenuA(target, MF_STRING | flags, k_first_menu_id + static_cast<UINT>(index), caption.c_str());
            }
        }
    };
    HMENU bar = nullptr;
    const bool any_visible = std::any_of(window.form->menu_bar().begin(), window.form->menu_bar().end(),
                                         [](const forms::Menu* item) { return item->visible(); });
    if (any_visible) {
        bar = CreateMenu();
        fill(fill, bar, window.form->menu_bar());
    }
    HMENU old = window.menu;
    const bool had_menu = old != nullptr;
    SetMenu(window.hwnd, bar);
    window.menu = bar;
    if (old) DestroyMenu(old);
    if (bar) DrawMenuBar(window.hwnd);
    // The menu bar takes from the client area; the design kept room for it.
    if (had_menu != (bar != nullptr)) place_form(window);
}

void Win32WindowSystem::Impl::create_control(FormWindow& window, forms::Control& control, Kind kind) {
    const char* window_class = "STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex_style = 0;
    std::string text;
    switch (kind) {
    case Kind::label:
        style |= SS_LEFT | SS_NOTIFY;
        text = static_cast<forms::Label&>(control).caption();
        break;
    case Kind::frame:
        window_class = "BUTTON";
        style |= BS_GROUPBOX;
        text = static_cast<forms::Frame&>(control).caption();
        break;
    case Kind::command_button: {
        auto& button = static_cast<forms::CommandButton&>(control);
        window_class = "BUTTON";
        style |= WS_TABSTOP | (button.is_default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        text = button.caption();
        break;
    }
    case Kind::option_button:
        window_class = "BUTTON";
        style |= WS_TABSTOP | BS_RADIOBUTTON;
        text = static_cast<forms::OptionButton&>(control).caption();
        break;
    case Kind::text_box:
        window_class = "EDIT";
        style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
        ex_style |= WS_EX_CLIENTEDGE;
        text = static_cast<forms::TextBox&>(control).text();
        break;
    case Kind::list_box: {
        auto& list = static_cast<forms::ListBox&>(control);
        window_class = "LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY;
        if (list.style() == forms::ListBox::Style::checkbox) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        ex_style |= WS_EX_CLIENTEDGE;
        break;
    }
    case Kind::picture_box:
        window_class = k_picture_class;
        style |= WS_TABSTOP;
        ex_style |= WS_EX_CLIENTEDGE;
        break;
    }
    const UINT id = window.next_control_id++;
    const std::string caption = ansi(text);
    HWND hwnd = CreateWindowExA(ex_style, window_class, caption.c_str(), style, 0, 0, 0, 0, window.hwnd,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance_handle(), nullptr);
    if (!hwnd) {
        throw RuntimeError(runtime_errors::invalid_procedure_call, k_source,
                           "Cannot create the window of control '" + control.name() + "' on form '" +
                               window.form->name() + "' (system error " + std::to_string(GetLastError()) + ")");
    }
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(dialog_font()), FALSE);
    auto native = std::make_unique<ControlWindow>();
    native->owner = &window;
    native->control = &control;
    native->kind = kind;
    native->hwnd = hwnd;
    if (kind == Kind::picture_box) {
        auto& picture = static_cast<forms::PictureBox&>(control);
        SetWindowLongPtrA(hwnd, k_picture_colour, static_cast<LONG_PTR>(colour_of(picture.back_color())));
        if (picture.auto_redraw()) {
            // The image gets its size as the control is placed, below.
            HDC screen = GetDC(hwnd);
            native->image_dc = CreateCompatibleDC(screen);
            ReleaseDC(hwnd, screen);
        }
        // The class keeps one device context per window, so the one handed out stays valid.
        picture.attach_hdc(reinterpret_cast<std::uintptr_t>(native->image_dc ? native->image_dc : GetDC(hwnd)));
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(native.get()));
    native->original =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_proc)));
    // Frames stay below what they contain.
    if (kind == Kind::frame) SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ControlWindow& made = *native;
    window.controls[&control] = std::move(native);
    sync_control(window, control, made);
}

void Win32WindowSystem::Impl::reconcile_controls(FormWindow& window) {
    if (!window.form || !window.hwnd) return;
    // Controls that are gone (a control-array element unloaded) lose their windows.
    for (auto it = window.controls.begin(); it != window.controls.end();) {
        if (!live_control(window, it->first) || kind_of(*live_control(window, it->first)) != it->second->kind) {
            if (it->second->hwnd) DestroyWindow(it->second->hwnd);
            window.retired.push_back(std::move(it->second));
            it = window.controls.erase(it);
        } else {
            ++it;
        }
    }
    // Containers first, so that frames are made (and put below) before what sits in them.
    std::vector<forms::Control*> order = window.form->controls();
    std::stable_sort(order.begin(), order.end(), [](const forms::Control* a, const forms::Control* b) {
        auto depth = [](const forms::Control* c) {
            int d = 0;
            for (const forms::Control* up = c->container(); up; up = up->container()) ++d;
            return d;
        };
        return depth(a) < depth(b);
    });
    bool created = false;
    for (forms::Control* control : order) {
        if (window.controls.count(control)) continue;
        create_control(window, *control, kind_of(*control));
        if (!window.form) return;
        created = true;
    }
    if (!created) return;
    // The system puts each new child window at the bottom of its siblings, so a control made after its
    // frame would lie under it and be hidden: frames go to the bottom again, the outermost last.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (kind_of(**it) != Kind::frame) continue;
        const auto native = window.controls.find(*it);
        if (native == window.controls.end() || !native->second->hwnd) continue;
        SetWindowPos(native->second->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32WindowSystem::Impl::sync_control(FormWindow& window, forms::Control& control, ControlWindow& native) {
    if (!native.hwnd) return;
    HWND hwnd = native.hwnd;
    std::int32_t left = 0;
    std::int32_t top = 0;
    for (const forms::Control* c = &control; c; c = c->container()) {
        left += c->left();
        top += c->top();
    }
    const int x = to_pixels_x(left);
    const int y = to_pixels_y(top);
    const int width = to_pixels_x(left + control.width()) - x;
    const int height = to_pixels_y(top + control.height()) - y;
    RECT now{};
    GetWindowRect(hwnd, &now);
    MapWindowPoints(HWND_DESKTOP, window.hwnd, reinterpret_cast<POINT*>(&now), 2);
    if (now.left != x || now.top != y || now.right - now.left != width || now.bottom - now.top != height) {
        SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const bool enabled = control.effectively_enabled();
    if ((IsWindowEnabled(hwnd) != 0) != enabled) EnableWindow(hwnd, enabled ? TRUE : FALSE);
    const bool shown = control.effectively_visible();
    const bool native_shown = (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != native_shown) ShowWindow(hwnd, shown ? SW_SHOWNA : SW_HIDE);

    auto set_text = [hwnd](const std::string& utf8) {
        const std::string text = ansi(utf8);
        if (window_text(hwnd) != text) SetWindowTextA(hwnd, text.c_str());
    };
    switch (native.kind) {
    case Kind::label: set_text(static_cast<forms::Label&>(control).caption()); break;
    case Kind::frame: set_text(static_cast<forms::Frame&>(control).caption()); break;
    case Kind::command_button: set_text(static_cast<forms::CommandButton&>(control).caption()); break;
    case Kind::option_button: {
        auto& option = static_cast<forms::OptionButton&>(control);
        set_text(option.caption());
        const WPARAM check = option.value() ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageA(hwnd, BM_GETCHECK, 0, 0)) != check) SendMessageA(hwnd, BM_SETCHECK, check, 0);
        break;
    }
    case Kind::text_box: {
        auto& box = static_cast<forms::TextBox&>(control);
        const std::string text = ansi(box.text());
        if (window_text(hwnd) != text) {
            SetWindowTextA(hwnd, text.c_str());
            native.pushed_sel_start = -1;
        }
        const bool read_only = (GetWindowLongPtrA(hwnd, GWL_STYLE) & ES_READONLY) != 0;
        if (read_only != box.locked()) SendMessageA(hwnd, EM_SETREADONLY, box.locked() ? TRUE : FALSE, 0);
        if (box.sel_start() != native.pushed_sel_start || box.sel_length() != native.pushed_sel_length) {
            SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(box.sel_start()),
                         static_cast<LPARAM>(box.sel_start() + box.sel_length()));
            native.pushed_sel_start = box.sel_start();
            native.pushed_sel_length = box.sel_length();
        }
        break;
    }
    case Kind::list_box: sync_list(static_cast<forms::ListBox&>(control), native); break;
    case Kind::picture_box: {
        const auto colour = static_cast<LONG_PTR>(colour_of(static_cast<forms::PictureBox&>(control).back_color()));
        if (GetWindowLongPtrA(hwnd, k_picture_colour) != colour) {
            SetWindowLongPtrA(hwnd, k_picture_colour, colour);
            // A new background colour clears what was drawn, as it does in the runtime.
            native.clear_image(static_cast<COLORREF>(colour));
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        RECT inside{};
        GetClientRect(hwnd, &inside);
        native.size_image(inside.right, inside.bottom, static_cast<COLORREF>(colour));
        break;
    }
    }
}

void Win32WindowSystem::Impl::sync_list(forms::ListBox& list, ControlWindow& native) {
    HWND hwnd = native.hwnd;
    const auto count = static_cast<std::size_t>(list.list_count());
    std::vector<std::string> rows;
    rows.reserve(count);
    for (std::int32_t row = 0; row < list.list_count(); ++row) rows.push_back(ansi(list.list(row)));
    // Only the rows that differ change: the common beginning and end stay, as a sorted insertion or a
    // removal leaves most of a long list as it was.
    std::size_t prefix = 0;
    while (prefix < rows.size() && prefix < native.rows.size() && rows[prefix] == native.rows[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < rows.size() - prefix && suffix < native.rows.size() - prefix &&
           rows[rows.size() - 1 - suffix] == native.rows[native.rows.size() - 1 - suffix]) {
        ++suffix;
    }
    const bool changed = prefix != rows.size() || rows.size() != native.rows.size();
    if (changed) SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = native.rows.size() - suffix; i > prefix; --i) {
        SendMessageA(hwnd, LB_DELETESTRING, i - 1, 0);
    }
    for (std::size_t i = prefix; i < rows.size() - suffix; ++i) {
        SendMessageA(hwnd, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(rows[i].c_str()));
    }
    if (changed) {
        SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    native.rows = std::move(rows);
    if (list.style() == forms::ListBox::Style::checkbox) {
        std::vector<bool> checks(count);
        for (std::size_t row = 0; row < count; ++row) checks[row] = list.checked(static_cast<std::int32_t>(row));
        if (checks != native.checks) InvalidateRect(hwnd, nullptr, FALSE);
        native.checks = std::move(checks);
    }
    if (SendMessageA(hwnd, LB_GETCURSEL, 0, 0) != list.list_index()) {
        SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(list.list_index()), 0);
    }
}

void Win32WindowSystem::Impl::restore_owner(FormWindow& window) {
    if (!window.disabled_owner) return;
    HWND owner = window.disabled_owner;
    window.disabled_owner = nullptr;
    if (IsWindow(owner)) EnableWindow(owner, TRUE);
}

void Win32WindowSystem::Impl::post_sync(FormWindow& window) {
    if (window.sync_posted || !window.hwnd) return;
    if (PostMessageA(window.hwnd, k_sync_message, 0, 0)) window.sync_posted = true;
}

// After the model has acted: the native focus follows the model's, the default button's frame goes
// to a focused button, and a text box shows the selection its model chose.
void Win32WindowSystem::Impl::after_event(FormWindow& window) {
    if (!window.form || !window.hwnd || !window.form->visible()) return;
    forms::Form& form = *window.form;
    reconcile_controls(window);
    if (!window.form) return;
    forms::Control* active = form.active_control();
    for (auto& [control, native] : window.controls) {
        forms::Control* live = live_control(window, control);
        if (!live || !native->hwnd) continue;
        if (native->kind == Kind::command_button) {
            auto& button = static_cast<forms::CommandButton&>(*live);
            const bool focused_button = dynamic_cast<forms::CommandButton*>(active) != nullptr;
            const bool framed = focused_button ? live == active : button.is_default();
            const bool has_frame = (GetWindowLongPtrA(native->hwnd, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
            if (framed != has_frame) SendMessageA(native->hwnd, BM_SETSTYLE, framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        } else if (native->kind == Kind::text_box && live == active) {
            sync_control(window, *live, *native);
        }
    }
    if (GetActiveWindow() != window.hwnd) return;
    if (active == window.pushed_focus && GetFocus() && IsChild(window.hwnd, GetFocus())) return;
    window.pushed_focus = active;
    HWND target = window.hwnd;
    if (active) {
        auto found = window.controls.find(active);
        if (found != window.controls.end() && found->second->hwnd) target = found->second->hwnd;
    }
    if (GetFocus() != target) {
        ++pushing_focus;
        SetFocus(target);
        --pushing_focus;
    }
}

// ---- Input --------------------------------------------------------------------------------------------

void Win32WindowSystem::Impl::pull_selection(FormWindow& window) {
    if (!window.form) return;
    auto* box = dynamic_cast<forms::TextBox*>(window.form->active_control());
    if (!box) return;
    auto found = window.controls.find(box);
    if (found == window.controls.end() || !found->second->hwnd) return;
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(found->second->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto first = static_cast<std::int32_t>(std::min(start, end));
    const auto length = static_cast<std::int32_t>(std::max(start, end) - std::min(start, end));
    if (first == box->sel_start() && length == box->sel_length()) return;
    box->set_sel_start(first);
    box->set_sel_length(length);
    found->second->pushed_sel_start = box->sel_start();
    found->second->pushed_sel_length = box->sel_length();
}

bool Win32WindowSystem::Impl::key_down(FormWindow& window, WPARAM key) {
    if (!window.form || !window.form->visible()) return false;
    const auto code = static_cast<std::int32_t>(key);
    switch (code) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_BACK:
    case VK_SPACE:
    case VK_TAB: window.char_raised = code; break;
    default: window.char_raised = -1; break;
    }
    pull_selection(window);
    window.form->press_key(code, shift_state());
    after_event(window);
    return true;
}

bool Win32WindowSystem::Impl::character(FormWindow& window, WPARAM code) {
    if (!window.form || !window.form->visible()) return false;
    const int raised = window.char_raised;
    window.char_raised = -1;
    if (static_cast<int>(code) == raised) return true;
    if (code > 255) return true;
    pull_selection(window);
    const std::string one(1, static_cast<char>(static_cast<unsigned char>(code)));
    window.form->type_text(ansi_to_utf8(one));
    after_event(window);
    return true;
}

// Alt and a letter: the button or option whose caption marks it is clicked; a label's or frame's
// letter moves the focus to the next control that can take it.
bool Win32WindowSystem::Impl::access_key(FormWindow& window, WPARAM code) {
    if (!window.form || !window.form->visible() || code > 255) return false;
    const char wanted = static_cast<char>(std::toupper(static_cast<int>(code)));
    const std::vector<forms::Control*> order = window.form->tab_order();
    for (std::size_t i = 0; i < order.size(); ++i) {
        forms::Control* control = order[i];
        if (!control->effectively_visible()) continue;
        if (auto* button = dynamic_cast<forms::CommandButton*>(control)) {
            if (access_key_of(button->caption()) != wanted) continue;
            button->click();
        } else if (auto* option = dynamic_cast<forms::OptionButton*>(control)) {
            if (access_key_of(option->caption()) != wanted) continue;
            option->click();
        } else if (auto* label = dynamic_cast<forms::Label*>(control)) {
            if (access_key_of(label->caption()) != wanted) continue;
            for (std::size_t k = i + 1; k < order.size(); ++k) {
                if (order[k]->can_receive_focus()) {
                    order[k]->set_focus();
                    break;
                }
            }
        } else {
            continue;
        }
        after_event(window);
        return true;
    }
    return false;
}

void Win32WindowSystem::Impl::command(FormWindow& window, WPARAM wparam, LPARAM lparam) {
    const auto notification = HIWORD(wparam);
    if (lparam == 0) {
        // Menus (0) and accelerators (1) name the item by its command id.
        menu_command(window, LOWORD(wparam));
        return;
    }
    ControlWindow* native = native_of(window, reinterpret_cast<HWND>(lparam));
    if (!native) return;
    forms::Control* control = live_control(window, native->control);
    if (!control) return;
    switch (native->kind) {
    case Kind::command_button:
        if (notification == BN_CLICKED) static_cast<forms::CommandButton*>(control)->click();
        break;
    case Kind::option_button:
        if (notification == BN_CLICKED) static_cast<forms::OptionButton*>(control)->click();
        break;
    case Kind::label:
        if (notification == STN_CLICKED) {
            auto* label = static_cast<forms::Label*>(control);
            if (label->effectively_enabled() && label->on_click) label->on_click();
        }
        break;
    case Kind::list_box: {
        auto* list = static_cast<forms::ListBox*>(control);
        const auto row = static_cast<std::int32_t>(SendMessageA(native->hwnd, LB_GETCURSEL, 0, 0));
        if (notification == LBN_SELCHANGE && row >= 0 && row != list->list_index()) {
            list->click_row(row);
        } else if (notification == LBN_DBLCLK && row >= 0) {
            if (row != list->list_index()) list->click_row(row);
            if (list->effectively_enabled() && list->on_dbl_click) list->on_dbl_click();
        }
        break;
    }
    default: break;
    }
    after_event(window);
}

void Win32WindowSystem::Impl::menu_command(FormWindow& window, UINT id) {
    if (!window.form || id < k_first_menu_id) return;
    const std::size_t index = id - k_first_menu_id;
    if (index >= window.menu_items.size()) return;
    // The item must still be in the live menus (menu-array elements come and go).
    std::vector<forms::Menu*> order;
    std::vector<MenuItemShape> shape;
    collect_menu(window.form->menu_bar(), order, shape);
    if (index >= order.size() || order[index] != window.menu_items[index]) return;
    order[index]->click();
    after_event(window);
}

void Win32WindowSystem::Impl::popup_opening(FormWindow& window, HMENU popup) {
    auto found = window.popups.find(popup);
    if (found == window.popups.end() || !window.form) return;
    std::vector<forms::Menu*> order;
    std::vector<MenuItemShape> shape;
    collect_menu(window.form->menu_bar(), order, shape);
    const std::size_t index = found->second;
    if (index >= order.size() || index >= window.menu_items.size() || order[index] != window.menu_items[index]) return;
    // A menu with items raises Click as it opens, where its items' check marks are usually set.
    order[index]->click();
}

void Win32WindowSystem::Impl::draw_list_row(FormWindow& window, const DRAWITEMSTRUCT& item) {
    ControlWindow* native = native_of(window, item.hwndItem);
    if (!native) return;
    auto* list = dynamic_cast<forms::ListBox*>(live_control(window, native->control));
    if (!list) return;
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || static_cast<std::int32_t>(item.itemID) >= list->list_count()) return;
    const auto row = static_cast<std::int32_t>(item.itemID);
    const int side = std::max<int>(area.bottom - area.top - 2, 8);
    RECT box{area.left + 1, area.top + 1, area.left + 1 + side, area.top + 1 + side};
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (list->checked(row) ? DFCS_CHECKED : 0));
    RECT text_area = area;
    text_area.left = box.right + 3;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HGDIOBJ previous = SelectObject(dc, dialog_font());
    const std::string text = ansi(list->list(row));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &text_area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &area);
}

LRESULT Win32WindowSystem::Impl::form_message(FormWindow& window, HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:
        // The title bar's close, Alt+F4 and the window menu: the model decides (QueryUnload).
        if (window.form) window.form->close_from_window_menu();
        return 0;
    case WM_COMMAND: command(window, wparam, lparam); return 0;
    case WM_DRAWITEM:
        draw_list_row(window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        HDC dc = GetDC(hwnd);
        HGDIOBJ previous = SelectObject(dc, dialog_font());
        TEXTMETRICA font_metrics{};
        GetTextMetricsA(dc, &font_metrics);
        SelectObject(dc, previous);
        ReleaseDC(hwnd, dc);
        measure->itemHeight = static_cast<UINT>(std::max<LONG>(font_metrics.tmHeight + 2, 14));
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNFACE));
        SetTextColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && window.form && window.form->visible()) {
            forms::detail::form_activated(*window.form);
            window.pushed_focus = nullptr;
            after_event(window);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        window.pushed_focus = nullptr;
        after_event(window);
        return 0;
    case k_sync_message:
        window.sync_posted = false;
        after_event(window);
        return 0;
    case WM_SETCURSOR:
        if (HCURSOR cursor = cursor_for(pointer)) {
            SetCursor(cursor);
            return TRUE;
        }
        break;
    case WM_SIZE:
        if (window.form && window.form->visible()) {
            const auto state = wparam == SIZE_MINIMIZED   ? forms::WindowState::minimized
                               : wparam == SIZE_MAXIMIZED ? forms::WindowState::maximized
                                                          : forms::WindowState::normal;
            if (state != window.form->window_state() && (wparam == SIZE_MINIMIZED || wparam == SIZE_MAXIMIZED ||
                                                         wparam == SIZE_RESTORED)) {
                window.pulling_state = true;
                window.form->set_window_state(state);
                window.pulling_state = false;
            }
        }
        break;
    case WM_KEYDOWN:
        if (key_down(window, wparam)) return 0;
        break;
    case WM_CHAR:
        if (character(window, wparam)) return 0;
        break;
    case WM_SYSCHAR:
        if (access_key(window, wparam)) return 0;
        break;
    case WM_HELP:
        // F1 reached the help through the model's key routing already.
        return TRUE;
    case WM_EXITSIZEMOVE: pull_place(window); break;
    case WM_ENTERMENULOOP: window.in_menu_loop = true; break;
    case WM_EXITMENULOOP:
        window.in_menu_loop = false;
        if (window.menu_dirty && window.form) {
            window.menu_dirty = false;
            window.menu_shape.clear();
            post_sync(window);
            sync_menu(window);
        }
        break;
    case WM_INITMENUPOPUP:
        if (HIWORD(lparam) == 0) popup_opening(window, reinterpret_cast<HMENU>(wparam));
        return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

LRESULT Win32WindowSystem::Impl::control_message(FormWindow& window, ControlWindow& native, HWND hwnd, UINT message,
                                                 WPARAM wparam, LPARAM lparam) {
    const WNDPROC original = native.original;
    auto pass = [&] { return IsWindow(hwnd) ? CallWindowProcA(original, hwnd, message, wparam, lparam) : 0; };
    if (native.image_dc) {
        if (message == WM_ERASEBKGND) return 1;
        if (message == WM_PAINT) {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(hwnd, &paint);
            BitBlt(dc, 0, 0, native.image_size.cx, native.image_size.cy, native.image_dc, 0, 0, SRCCOPY);
            EndPaint(hwnd, &paint);
            return 0;
        }
    }
    switch (message) {
    case WM_ERASEBKGND:
        // A group box paints only its line and caption, and the form (which clips its children) paints
        // nothing under it: its inside is filled here, below the controls it holds.
        if (native.kind == Kind::frame) {
            RECT area{};
            GetClientRect(hwnd, &area);
            FillRect(reinterpret_cast<HDC>(wparam), &area, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        break;
    case WM_GETDLGCODE:
        // Every key comes here, also when the client's loop runs the dialog manager.
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_KEYDOWN:
        if (key_down(window, wparam)) return 0;
        break;
    case WM_KEYUP:
        // The native button would click itself on Space's release; the model clicked it on the press.
        if (wparam == VK_SPACE) return 0;
        break;
    case WM_CHAR:
        if (character(window, wparam)) return 0;
        break;
    case WM_SYSCHAR:
        if (access_key(window, wparam)) return 0;
        break;
    case WM_SETFOCUS:
        if (pushing_focus == 0) {
            if (forms::Control* control = live_control(window, native.control)) {
                if (!control->has_focus() && control->can_receive_focus()) control->set_focus();
                window.pushed_focus = window.form ? window.form->active_control() : nullptr;
                // GotFocus may have chosen a selection (or moved the focus on).
                post_sync(window);
            }
        }
        return pass();
    default: break;
    }

    if (native.kind == Kind::text_box) {
        auto* box = dynamic_cast<forms::TextBox*>(live_control(window, native.control));
        switch (message) {
        case WM_PASTE:
            // Pasted text is typed, so KeyPress and MaxLength see it as they see the keyboard.
            if (box && window.form && OpenClipboard(hwnd)) {
                std::string text;
                if (HANDLE data = GetClipboardData(CF_TEXT)) {
                    if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
                        text = locked;
                        GlobalUnlock(data);
                    }
                }
                CloseClipboard();
                std::string printable;
                for (char c : text) {
                    if (static_cast<unsigned char>(c) >= 32) printable.push_back(c);
                }
                pull_selection(window);
                if (box->has_focus()) window.form->type_text(ansi_to_utf8(printable));
                after_event(window);
            }
            return 0;
        case WM_CUT:
        case WM_CLEAR:
            if (box && window.form) {
                if (message == WM_CUT) CallWindowProcA(original, hwnd, WM_COPY, 0, 0);
                pull_selection(window);
                if (box->has_focus() && box->sel_length() > 0) window.form->press_key(forms::key::del);
                after_event(window);
            }
            return 0;
        case WM_UNDO:
        case EM_UNDO: return 0;
        default: break;
        }
    }

    if (native.kind == Kind::list_box) {
        auto* list = dynamic_cast<forms::ListBox*>(live_control(window, native.control));
        switch (message) {
        case LB_GETITEMDATA:
            // Rows keep their data in the model, which sorted them.
            if (list && static_cast<std::int32_t>(wparam) >= 0 && static_cast<std::int32_t>(wparam) < list->list_count()) {
                return static_cast<LRESULT>(list->item_data(static_cast<std::int32_t>(wparam)));
            }
            return LB_ERR;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!list) return 0;
            const auto hit = static_cast<DWORD>(SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lparam));
            const auto row = static_cast<std::int32_t>(LOWORD(hit));
            const bool inside = HIWORD(hit) == 0 && row < list->list_count();
            if (!inside) {
                if (list->can_receive_focus() && !list->has_focus()) list->set_focus();
            } else if (message == WM_LBUTTONDOWN) {
                list->click_row(row);
            } else if (list->effectively_enabled()) {
                if (row != list->list_index()) list->click_row(row);
                if (list->on_dbl_click) list->on_dbl_click();
            }
            after_event(window);
            return 0;
        }
        default: break;
        }
    }
    return pass();
}

// ---- Win32WindowSystem ---------------------------------------------------------------------------------

Win32WindowSystem::Win32WindowSystem() : m_impl(std::make_unique<Impl>()) {}

Win32WindowSystem::~Win32WindowSystem() { destroy_all_windows(); }

WindowHandle Win32WindowSystem::create_form_window(forms::Form& form) {
    register_classes();
    if (auto existing = m_impl->find(form)) destroy_form_window(form);
    auto window = std::make_shared<FormWindow>();
    window->system = m_impl.get();
    window->form = &form;
    const WindowStyle style = style_of(form);
    const std::string caption = ansi(form.caption());
    m_impl->windows.push_back(window);
    HWND hwnd = CreateWindowExA(style.ex_style, k_form_class, caption.c_str(), style.style, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_handle(), window.get());
    if (!hwnd) {
        const DWORD error = GetLastError();
        m_impl->windows.pop_back();
        throw RuntimeError(runtime_errors::invalid_procedure_call, form.name(),
                           "Cannot create the window of form '" + form.name() + "' (system error " +
                               std::to_string(error) + ")");
    }
    window->hwnd = hwnd;
    try {
        m_impl->sync_form(*window);
        m_impl->reconcile_controls(*window);
    } catch (...) {
        window->form = nullptr;
        DestroyWindow(hwnd);
        m_impl->windows.erase(std::remove(m_impl->windows.begin(), m_impl->windows.end(), window), m_impl->windows.end());
        throw;
    }
    return to_handle(hwnd);
}

void Win32WindowSystem::destroy_form_window(forms::Form& form) {
    std::shared_ptr<FormWindow> window = m_impl->find(form);
    if (!window) return;
    // Only controls still on the form are touched: a form being destroyed has lost its members already.
    for (forms::Control* control : form.controls()) {
        if (auto* picture = dynamic_cast<forms::PictureBox*>(control)) {
            if (window->controls.count(picture)) picture->attach_hdc(0);
        }
    }
    window->form = nullptr;
    m_impl->restore_owner(*window);
    HWND hwnd = window->hwnd;
    const bool was_active = hwnd && GetActiveWindow() == hwnd;
    HWND owner = hwnd ? GetWindow(hwnd, GW_OWNER) : nullptr;
    if (hwnd) DestroyWindow(hwnd);
    if (was_active && owner && IsWindow(owner)) SetActiveWindow(owner);
    m_impl->windows.erase(std::remove(m_impl->windows.begin(), m_impl->windows.end(), window), m_impl->windows.end());
}

void Win32WindowSystem::show_form_window(forms::Form& form, bool visible, WindowHandle owner) {
    std::shared_ptr<FormWindow> window = m_impl->find(form);
    if (!window || !window->hwnd) return;
    HWND hwnd = window->hwnd;
    if (visible) {
        HWND wanted = owner && IsWindow(to_hwnd(owner)) && to_hwnd(owner) != hwnd ? to_hwnd(owner) : nullptr;
        if (GetWindow(hwnd, GW_OWNER) != wanted) SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(wanted));
        m_impl->sync_form(*window);
        int command = SW_SHOWNORMAL;
        if (form.window_state() == forms::WindowState::minimized) command = SW_SHOWMINIMIZED;
        if (form.window_state() == forms::WindowState::maximized) command = SW_SHOWMAXIMIZED;
        if (!IsWindowVisible(hwnd)) {
            ShowWindow(hwnd, command);
        } else {
            SetActiveWindow(hwnd);
        }
        window->pushed_focus = nullptr;
        m_impl->post_sync(*window);
    } else {
        // The owner comes back first, so that the activation goes to it and not to another program.
        m_impl->restore_owner(*window);
        const bool was_active = GetActiveWindow() == hwnd;
        HWND window_owner = GetWindow(hwnd, GW_OWNER);
        ShowWindow(hwnd, SW_HIDE);
        if (was_active && window_owner && IsWindow(window_owner)) SetActiveWindow(window_owner);
    }
}

void Win32WindowSystem::run_modal(forms::Form& form, WindowHandle owner) {
    std::shared_ptr<FormWindow> window = m_impl->find(form);
    if (!window || !window->hwnd) {
        form.hide();
        return;
    }
    HWND owner_window = to_hwnd(owner);
    if (owner_window && IsWindow(owner_window) && owner_window != window->hwnd && IsWindowEnabled(owner_window)) {
        EnableWindow(owner_window, FALSE);
        window->disabled_owner = owner_window;
    }
    window->pushed_focus = nullptr;
    m_impl->after_event(*window);
    // The client's messages (its redraws included) are dispatched here as in its own loop.
    MSG message{};
    while (window->form && window->hwnd && window->form->loaded() && window->form->visible()) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The program is ending: its own loop must see the quit message as well.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    m_impl->restore_owner(*window);
    // A window that went without the model (its owner was destroyed) ends the modal Show as well.
    if (window->form && !window->hwnd && window->form->visible()) window->form->hide();
}

void Win32WindowSystem::model_changed(forms::Form& form, const forms::Control* control) {
    std::shared_ptr<FormWindow> window = m_impl->find(form);
    if (!window || !window->hwnd) return;
    if (!control) {
        m_impl->sync_form(*window);
        m_impl->reconcile_controls(*window);
    } else {
        m_impl->reconcile_controls(*window);
        if (!window->form) return;
        // A frame carries the state of what sits in it; an option button changes its group.
        const bool whole_form = dynamic_cast<const forms::Frame*>(control) || dynamic_cast<const forms::OptionButton*>(control);
        for (auto& [known, native] : window->controls) {
            if (!whole_form && known != control) continue;
            if (forms::Control* live = live_control(*window, known)) m_impl->sync_control(*window, *live, *native);
        }
    }
    m_impl->post_sync(*window);
}

WindowHandle Win32WindowSystem::control_window(const forms::Control& control) const {
    std::shared_ptr<FormWindow> window = m_impl->find(control.form());
    if (!window) return 0;
    auto found = window->controls.find(&control);
    return found == window->controls.end() ? 0 : to_handle(found->second->hwnd);
}

void Win32WindowSystem::destroy_all_windows() noexcept {
    std::vector<std::shared_ptr<FormWindow>> windows = m_impl->windows;
    for (auto& window : windows) {
        window->form = nullptr;
        m_impl->restore_owner(*window);
        if (window->hwnd && IsWindow(window->hwnd)) DestroyWindow(window->hwnd);
    }
    m_impl->windows.clear();
}

// ---- The system's dialogs ----------------------------------------------------------------------------

std::int32_t Win32WindowSystem::message_box(const MessageBoxRequest& request) {
    HWND owner = request.owner && IsWindow(to_hwnd(request.owner)) ? to_hwnd(request.owner) : nullptr;
    const std::string text = ansi(request.text);
    const std::string title = ansi(request.title);
    // Without an owner the box still stops the user's work in all of this thread's windows.
    UINT style = static_cast<UINT>(request.style) | (owner ? 0u : static_cast<UINT>(MB_TASKMODAL));
    const int answer = MessageBoxA(owner, text.c_str(), title.c_str(), style);
    if (answer == 0 && owner && !IsWindow(owner)) {
        // The box went with its owner (the user closed that window meanwhile): the answer is the
        // box's Escape, as if the user had dismissed it.
        switch (request.style & message_box_style::buttons_mask) {
        case message_box_style::ok_only: return message_box_result::ok;
        case message_box_style::yes_no: return message_box_result::no;
        case message_box_style::abort_retry_ignore: return message_box_result::abort;
        default: return message_box_result::cancel;
        }
    }
    if (answer == 0) {
        throw RuntimeError(runtime_errors::invalid_procedure_call, k_source,
                           "Cannot show the message box (system error " + std::to_string(GetLastError()) + ")");
    }
    return answer;
}

FolderBrowseAnswer Win32WindowSystem::browse_for_folder(const FolderBrowseRequest& request) {
    // The shell's dialog needs COM on this thread; the client has it, a bare program may not.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BrowseContext context{request.callback, request.callback_data};
    char display_name[MAX_PATH] = {};
    const std::string title = ansi(request.title);
    BROWSEINFOA info{};
    info.hwndOwner = request.owner && IsWindow(to_hwnd(request.owner)) ? to_hwnd(request.owner) : nullptr;
    info.pszDisplayName = display_name;
    info.lpszTitle = title.c_str();
    info.ulFlags = request.flags;
    if (request.callback) {
        info.lpfn = browse_trampoline;
        info.lParam = reinterpret_cast<LPARAM>(&context);
    }
    FolderBrowseAnswer answer;
    if (LPITEMIDLIST chosen = SHBrowseForFolderA(&info)) {
        char path[MAX_PATH] = {};
        answer = SHGetPathFromIDListA(chosen, path) ? ansi_to_utf8(path) : std::string{};
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return answer;
}

std::optional<std::string> Win32WindowSystem::open_file(const OpenFileRequest& request) {
    // "Text files|*.txt|All|*.*" becomes the dialog's pairs of NUL-terminated texts.
    std::string filter = ansi(request.filter);
    for (char& c : filter) {
        if (c == '|') c = '\0';
    }
    if (!filter.empty()) filter.append(2, '\0');
    const std::size_t size = request.max_file_size > 0 ? static_cast<std::size_t>(request.max_file_size) : 1024;
    std::vector<char> file(std::max<std::size_t>(size, MAX_PATH) + 1, '\0');
    const std::string title = ansi(request.title);
    const std::string folder = ansi(request.initial_folder);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = request.owner && IsWindow(to_hwnd(request.owner)) ? to_hwnd(request.owner) : nullptr;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size() - 1);
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog)) return std::nullopt;
    return ansi_to_utf8(file.data());
}

std::intptr_t Win32WindowSystem::send_message(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                              std::intptr_t lparam) {
    return static_cast<std::intptr_t>(SendMessageA(to_hwnd(window), message, static_cast<WPARAM>(wparam),
                                                   static_cast<LPARAM>(lparam)));
}

WindowHandle Win32WindowSystem::find_window(const std::string& title) { return native::find_window(title); }

ScreenMetrics Win32WindowSystem::screen_metrics() { return native::screen_metrics(); }

void Win32WindowSystem::set_mouse_pointer(std::int32_t pointer) {
    m_impl->pointer = pointer;
    if (HCURSOR cursor = cursor_for(pointer)) {
        SetCursor(cursor);
    } else {
        // Back to the pointer of whatever window is under it.
        POINT at{};
        GetCursorPos(&at);
        SetCursorPos(at.x, at.y);
    }
}

void Win32WindowSystem::win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command,
                                 std::uintptr_t data) {
    native::win_help(owner, help_file, command, data);
}

// ---- The module ------------------------------------------------------------------------------------------

namespace {
Win32WindowSystem* g_desktop = nullptr;
}

void set_module_instance(std::uintptr_t instance) noexcept { g_instance = instance; }
std::uintptr_t module_instance() noexcept { return g_instance; }

void install_desktop_window_system(std::uintptr_t instance) {
    set_module_instance(instance);
    // Scripted runs with nobody at the screen (test harnesses, unattended installs) may ask for the
    // headless answers instead: default buttons, cancelled dialogs.
    char choice[32] = {};
    const DWORD length = GetEnvironmentVariableA("TOLM_WINDOW_SYSTEM", choice, sizeof choice);
    if (length > 0 && length < sizeof choice && lstrcmpiA(choice, "headless") == 0) return;
    if (!g_desktop) g_desktop = new Win32WindowSystem();
    set_default_window_system(g_desktop);
}

void uninstall_desktop_window_system(bool process_ending) noexcept {
    // When the process ends, its windows and classes go with it; the code must not run any more.
    if (process_ending || !g_desktop) return;
    try {
        if (default_window_system_override() == g_desktop) set_default_window_system(nullptr);
    } catch (...) {
    }
    g_desktop->destroy_all_windows();
    delete g_desktop;
    g_desktop = nullptr;
    unregister_classes();
}

}  // namespace tolm::platform::win32
