#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A form as a model: its caption, place and size in twips, border, window state, its controls and
// menus, focus and tab order, the routing of keys, and the life of Load, QueryUnload, Unload and
// Terminate. The window system shows it; tests drive it as a user would.
namespace tolm::forms {

class Control;
class CommandButton;
class Menu;

enum class BorderStyle { none = 0, fixed_single = 1, sizable = 2, fixed_dialog = 3, fixed_tool_window = 4,
                         sizable_tool_window = 5 };
enum class WindowState { normal = 0, minimized = 1, maximized = 2 };
// Why a form is being unloaded, as QueryUnload's UnloadMode tells it.
enum class UnloadMode { form_control_menu = 0, form_code = 1, app_windows = 2, app_task_manager = 3,
                        form_mdi_form = 4, form_owner = 5 };
enum class Modality { modeless = 0, modal = 1 };

class Form {
public:
    explicit Form(std::string name);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    // A form destroyed while loaded loses its window without raising events; use terminate() (or a
    // FormPtr) to end a form the way the runtime does.
    virtual ~Form();

    const std::string& name() const noexcept { return m_name; }

    const std::string& caption() const noexcept { return m_caption; }
    void set_caption(std::string caption);

    // Place and size in twips on the screen.
    std::int32_t left() const noexcept { return m_left; }
    std::int32_t top() const noexcept { return m_top; }
    std::int32_t width() const noexcept { return m_width; }
    std::int32_t height() const noexcept { return m_height; }
    void move(std::int32_t left, std::int32_t top);
    void move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    void set_left(std::int32_t left) { move(left, m_top); }
    void set_top(std::int32_t top) { move(m_left, top); }
    void set_width(std::int32_t width) { move(m_left, m_top, width, m_height); }
    void set_height(std::int32_t height) { move(m_left, m_top, m_width, height); }

    BorderStyle border_style() const noexcept { return m_border_style; }
    void set_border_style(BorderStyle style);
    bool min_button() const noexcept { return m_min_button; }
    void set_min_button(bool shown) { m_min_button = shown; }
    bool max_button() const noexcept { return m_max_button; }
    void set_max_button(bool shown) { m_max_button = shown; }
    // The form sees KeyDown and KeyPress before the control that has the focus.
    bool key_preview() const noexcept { return m_key_preview; }
    void set_key_preview(bool preview) { m_key_preview = preview; }
    std::int32_t help_context_id() const noexcept { return m_help_context_id; }
    void set_help_context_id(std::int32_t id) { m_help_context_id = id; }
    WindowState window_state() const noexcept { return m_window_state; }
    void set_window_state(WindowState state);

    // ---- Life -------------------------------------------------------------------------------------
    bool loaded() const noexcept { return m_loaded; }
    bool visible() const noexcept { return m_visible; }
    // True while a modal Show of this form has not returned.
    bool showing_modal() const noexcept { return m_modal_depth > 0; }
    // The form's window; loads the form, as reading hWnd does.
    platform::WindowHandle hwnd();
    platform::WindowHandle owner_window() const noexcept { return m_owner; }

    // Load: makes the window and raises Load. Nothing happens when the form is loaded already.
    void load();
    // A form the user never works with (a hidden host of other work) may go on without its window
    // when the system cannot make one: Load then reports the failure and succeeds.
    bool works_without_window() const noexcept { return m_works_without_window; }
    void set_works_without_window(bool allowed) noexcept { m_works_without_window = allowed; }
    // Show: loads, makes the form visible and active and puts the focus on the first control in tab
    // order. A modal Show returns when the form is hidden or unloaded; showing a visible modeless form
    // modally raises run-time error 400.
    void show(Modality modality = Modality::modeless, platform::WindowHandle owner = 0);
    void show(Modality modality, Form& owner);
    void hide();
    // Unload: raises QueryUnload and Unload, either of which may cancel, then destroys the window.
    // Returns false when cancelled.
    bool unload(UnloadMode mode = UnloadMode::form_code);
    // The user closes the window from its title bar or window menu.
    bool close_from_window_menu() { return unload(UnloadMode::form_control_menu); }
    // Ends the object: unloads it if needed (without the chance to cancel) and raises Terminate once.
    void terminate();

    // ---- Controls, menus, focus -------------------------------------------------------------------
    const std::vector<Control*>& controls() const noexcept { return m_controls; }
    // A control by name (case-insensitively) and array index (-1 outside arrays), or null.
    Control* find_control(std::string_view name, std::int32_t index = -1) const;
    const std::vector<Menu*>& menu_bar() const noexcept { return m_menu_bar; }
    // A menu item anywhere in the menus by name and index, or null.
    Menu* find_menu(std::string_view name, std::int32_t index = -1) const;

    Control* active_control() const noexcept { return m_active_control; }
    CommandButton* default_button() const noexcept { return m_default_button; }
    CommandButton* cancel_button() const noexcept { return m_cancel_button; }
    // Controls in tab order.
    std::vector<Control*> tab_order() const;

    // ---- What the user does -------------------------------------------------------------------------
    // A key pressed while the form is active: KeyDown (the form first when KeyPreview is set, then the
    // control with the focus), then Tab moves the focus, F1 opens the help at the context of the
    // control or the form, Enter clicks the focused button or else the default button, Escape clicks
    // the cancel button; keys that make a character then go through KeyPress the same way.
    // Returns false when the form is not shown.
    bool press_key(std::int32_t key_code, std::int32_t shift = 0);
    // Characters typed while the form is active, each through KeyPress ("\r" is Enter, "\x1b" Escape,
    // "\b" backspace, "\t" Tab).
    bool type_text(std::string_view text);
    // Tab or Shift+Tab.
    bool press_tab(bool backwards = false);

    // Events.
    std::function<void()> on_load;
    std::function<void()> on_activate;
    std::function<void(bool& cancel, UnloadMode mode)> on_query_unload;
    std::function<void(bool& cancel)> on_unload;
    std::function<void()> on_terminate;
    std::function<void(std::int32_t& key_code, std::int32_t shift)> on_key_down;
    std::function<void(std::int32_t& key_ascii)> on_key_press;

private:
    friend class Control;
    friend class CommandButton;
    friend class Menu;

    void register_control(Control& control);
    void move_in_tab_order(Control& control, std::int32_t position);
    void renumber_tab_order(std::vector<Control*> order) noexcept;
    void unregister_control(Control& control) noexcept;
    void register_menu(Menu& menu, const Menu* after);
    void unregister_menu(Menu& menu) noexcept;
    void focus(Control* control);
    void activate();
    void changed(const Control* control);
    bool route_key_press(std::int32_t key_ascii);
    void drop_window() noexcept;

    std::string m_name;
    std::string m_caption;
    std::int32_t m_left = 0;
    std::int32_t m_top = 0;
    std::int32_t m_width = 4800;
    std::int32_t m_height = 3600;
    BorderStyle m_border_style = BorderStyle::sizable;
    bool m_min_button = true;
    bool m_max_button = true;
    bool m_key_preview = false;
    bool m_works_without_window = false;
    std::int32_t m_help_context_id = 0;
    WindowState m_window_state = WindowState::normal;

    bool m_loaded = false;
    bool m_visible = false;
    bool m_terminated = false;
    int m_modal_depth = 0;
    platform::WindowHandle m_hwnd = 0;
    platform::WindowHandle m_owner = 0;

    std::vector<Control*> m_controls;
    std::vector<Menu*> m_menu_bar;
    Control* m_active_control = nullptr;
    CommandButton* m_default_button = nullptr;
    CommandButton* m_cancel_button = nullptr;
};

// Owns a form and ends it as the runtime ends a form object that is released: Terminate is raised
// (unloading it first if it is still loaded) before the object goes.
struct FormTerminator {
    void operator()(Form* form) const noexcept;
};
template <class T>
using FormPtr = std::unique_ptr<T, FormTerminator>;

template <class T, class... Args>
FormPtr<T> make_form(Args&&... args) {
    return FormPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace tolm::forms
