#include "ui/forms/form.h"

#include "ui/forms/buttons.h"
#include "ui/forms/control.h"
#include "ui/forms/keys.h"
#include "ui/forms/menu.h"
#include "ui/forms/screen.h"
#include "platform/runtime_error.h"
#include "platform/app.h"
#include "platform/problem_report.h"
#include "ui/current_window_system.h"
#include "platform/text.h"

#include <algorithm>

namespace tolm::forms {

namespace {

// Counts a modal Show for as long as it runs, also when its loop ends by an exception.
class ModalScope {
public:
    explicit ModalScope(int& depth) : m_depth(depth) { ++m_depth; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    ~ModalScope() { --m_depth; }

private:
    int& m_depth;
};

}  // namespace

Form::Form(std::string name) : m_name(std::move(name)), m_caption(m_name) {}

Form::~Form() { drop_window(); }

void Form::drop_window() noexcept {
    if (!m_loaded) return;
    detail::form_deactivated(*this);
    m_visible = false;
    m_loaded = false;
    m_active_control = nullptr;
    try {
        platform::window_system().destroy_form_window(*this);
    } catch (...) {
        // The window is gone with the form whatever the window system says.
    }
    m_hwnd = 0;
}

void Form::set_caption(std::string caption) {
    m_caption = std::move(caption);
    changed(nullptr);
}

void Form::move(std::int32_t left, std::int32_t top) { move(left, top, m_width, m_height); }

void Form::move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) raise_runtime_error(runtime_errors::invalid_property_value, m_name);
    // A minimised or maximised window cannot be moved or sized, as the runtime reports.
    if (m_window_state != WindowState::normal && m_visible) {
        raise_runtime_error(runtime_errors::form_minimised_or_maximised, m_name);
    }
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    changed(nullptr);
}

void Form::set_border_style(BorderStyle style) {
    m_border_style = style;
    changed(nullptr);
}

void Form::set_window_state(WindowState state) {
    m_window_state = state;
    changed(nullptr);
}

platform::WindowHandle Form::hwnd() {
    load();
    return m_hwnd;
}

void Form::load() {
    if (m_loaded) return;
    if (m_terminated) m_terminated = false;  // a released form variable used again makes a new instance
    try {
        m_hwnd = platform::window_system().create_form_window(*this);
    } catch (const RuntimeError& error) {
        if (!m_works_without_window) throw;
        m_hwnd = 0;
        platform::report_problem(std::string(error.what()) + " The form '" + m_name + "' works without its window.");
    }
    m_loaded = true;
    if (on_load) on_load();
}

void Form::show(Modality modality, Form& owner) { show(modality, owner.hwnd()); }

void Form::show(Modality modality, platform::WindowHandle owner) {
    if (modality == Modality::modal && m_visible) {
        raise_runtime_error(runtime_errors::form_already_displayed, m_name);
    }
    load();
    if (!m_loaded) return;  // the form unloaded itself while loading
    if (owner != 0 || !m_visible) m_owner = owner;
    const bool was_visible = m_visible;
    m_visible = true;
    platform::window_system().show_form_window(*this, true, m_owner);
    if (!was_visible || screen::active_form() != this) activate();
    if (modality == Modality::modal) {
        ModalScope scope(m_modal_depth);
        platform::window_system().run_modal(*this, m_owner);
    }
}

void Form::activate() {
    detail::form_activated(*this);
    if (!m_active_control || !m_active_control->can_receive_focus()) {
        m_active_control = nullptr;
        for (Control* control : tab_order()) {
            if (control->tab_stop() && control->can_receive_focus()) {
                focus(control);
                break;
            }
        }
    }
    if (on_activate) on_activate();
}

void Form::hide() {
    load();  // Hide on an unloaded form loads it, as the runtime does
    if (!m_visible) return;
    m_visible = false;
    detail::form_deactivated(*this);
    platform::window_system().show_form_window(*this, false, m_owner);
}

bool Form::unload(UnloadMode mode) {
    if (!m_loaded) return true;
    bool cancel = false;
    if (on_query_unload) on_query_unload(cancel, mode);
    if (cancel) return false;
    if (on_unload) on_unload(cancel);
    if (cancel) return false;
    drop_window();
    return true;
}

void Form::terminate() {
    if (m_loaded) {
        bool cancel = false;
        if (on_query_unload) on_query_unload(cancel, UnloadMode::form_code);
        cancel = false;
        if (on_unload) on_unload(cancel);
        drop_window();
    }
    if (m_terminated) return;
    m_terminated = true;
    if (on_terminate) on_terminate();
}

Control* Form::find_control(std::string_view name, std::int32_t index) const {
    for (Control* control : m_controls) {
        if (control->index() == index && equals_ignoring_case(control->name(), name)) return control;
    }
    return nullptr;
}

Menu* Form::find_menu(std::string_view name, std::int32_t index) const {
    std::vector<Menu*> pending(m_menu_bar.rbegin(), m_menu_bar.rend());
    while (!pending.empty()) {
        Menu* menu = pending.back();
        pending.pop_back();
        if (menu->index() == index && equals_ignoring_case(menu->name(), name)) return menu;
        pending.insert(pending.end(), menu->items().rbegin(), menu->items().rend());
    }
    return nullptr;
}

std::vector<Control*> Form::tab_order() const {
    std::vector<Control*> order = m_controls;
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tab_index() < b->tab_index(); });
    return order;
}

void Form::register_control(Control& control) { m_controls.push_back(&control); }

void Form::unregister_control(Control& control) noexcept {
    std::vector<Control*> order = tab_order();
    order.erase(std::remove(order.begin(), order.end(), &control), order.end());
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), &control), m_controls.end());
    renumber_tab_order(std::move(order));
    if (m_active_control == &control) m_active_control = nullptr;
}

void Form::move_in_tab_order(Control& control, std::int32_t position) {
    std::vector<Control*> order = tab_order();
    order.erase(std::remove(order.begin(), order.end(), &control), order.end());
    const auto at = std::min(static_cast<std::size_t>(position), order.size());
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), &control);
    renumber_tab_order(std::move(order));
}

void Form::renumber_tab_order(std::vector<Control*> order) noexcept {
    std::int32_t next = 0;
    for (Control* control : order) control->m_tab_index = next++;
}

void Form::register_menu(Menu& menu, const Menu* after) {
    auto position = after ? std::find(m_menu_bar.begin(), m_menu_bar.end(), after) : m_menu_bar.end();
    if (position != m_menu_bar.end()) ++position;
    m_menu_bar.insert(position, &menu);
    changed(nullptr);
}

void Form::unregister_menu(Menu& menu) noexcept {
    m_menu_bar.erase(std::remove(m_menu_bar.begin(), m_menu_bar.end(), &menu), m_menu_bar.end());
}

void Form::focus(Control* control) {
    if (control == m_active_control) return;
    Control* previous = m_active_control;
    m_active_control = control;
    if (previous && previous->on_lost_focus) previous->on_lost_focus();
    // LostFocus may have moved the focus elsewhere already.
    if (control && m_active_control == control && control->on_got_focus) control->on_got_focus();
}

void Form::changed(const Control* control) {
    if (!m_loaded) return;
    platform::window_system().model_changed(*this, control);
}

bool Form::press_tab(bool backwards) {
    if (!m_visible) return false;
    std::vector<Control*> order = tab_order();
    if (backwards) std::reverse(order.begin(), order.end());
    auto current = std::find(order.begin(), order.end(), m_active_control);
    const std::size_t start = current == order.end() ? order.size() - 1 : static_cast<std::size_t>(current - order.begin());
    // Tab reaches an option group at its selected button only.
    auto skipped_option = [this](const Control* candidate) {
        auto* option = dynamic_cast<const OptionButton*>(candidate);
        if (!option || option->value()) return false;
        for (const Control* other : m_controls) {
            auto* sibling = dynamic_cast<const OptionButton*>(other);
            if (sibling && sibling->container() == option->container() && sibling->value()) return true;
        }
        return false;
    };
    for (std::size_t step = 1; step <= order.size(); ++step) {
        Control* candidate = order[(start + step) % order.size()];
        if (candidate->tab_stop() && candidate->can_receive_focus() && !skipped_option(candidate)) {
            focus(candidate);
            return true;
        }
    }
    // Nothing can hold the focus any more.
    if (m_active_control && !m_active_control->can_receive_focus()) focus(nullptr);
    return true;
}

bool Form::press_key(std::int32_t key_code, std::int32_t shift) {
    if (!m_visible) return false;
    if (m_key_preview && on_key_down) {
        on_key_down(key_code, shift);
        if (key_code == 0) return true;
    }
    if (m_active_control) {
        Control* control = m_active_control;
        if (control->on_key_down) {
            control->on_key_down(key_code, shift);
            if (key_code == 0) return true;
        }
    }
    switch (key_code) {
    case key::tab:
        press_tab((shift & shift_state::shift) != 0);
        return true;
    case key::f1: {
        const std::string help_file = platform::app_help_file();
        if (help_file.empty()) return true;
        std::int32_t context = m_active_control ? m_active_control->help_context_id() : 0;
        if (context == 0) context = m_help_context_id;
        platform::window_system().win_help(m_hwnd, help_file, context ? platform::HELP_CONTEXT : platform::HELP_FINDER,
                                           static_cast<std::uintptr_t>(context));
        return true;
    }
    case key::enter:
        if (auto* focused = dynamic_cast<CommandButton*>(m_active_control)) {
            focused->click();
            return true;
        }
        if (m_default_button && m_default_button->usable()) {
            m_default_button->click();
            return true;
        }
        return route_key_press(key::enter);
    case key::escape:
        if (m_cancel_button && m_cancel_button->usable()) {
            m_cancel_button->click();
            return true;
        }
        return route_key_press(key::escape);
    case key::back:
    case key::space:
        return route_key_press(key_code);
    default:
        if (m_active_control) m_active_control->default_key_down(key_code, shift);
        return true;
    }
}

bool Form::route_key_press(std::int32_t key_ascii) {
    if (m_key_preview && on_key_press) {
        on_key_press(key_ascii);
        if (key_ascii == 0) return true;
    }
    Control* control = m_active_control;
    if (!control) return true;
    if (control->on_key_press) {
        control->on_key_press(key_ascii);
        if (key_ascii == 0) return true;
    }
    // The event may have moved the focus or unloaded the form.
    if (m_loaded && control == m_active_control) control->default_key_press(key_ascii);
    return true;
}

bool Form::type_text(std::string_view text) {
    if (!m_visible) return false;
    const std::string ansi = utf8_to_ansi(text);
    for (char c : ansi) {
        const auto code = static_cast<std::int32_t>(static_cast<unsigned char>(c));
        if (!m_visible) break;
        switch (code) {
        case key::enter:
        case key::escape:
        case key::back:
        case key::tab:
            press_key(code);
            break;
        default:
            route_key_press(code);
            break;
        }
    }
    return true;
}

void FormTerminator::operator()(Form* form) const noexcept {
    if (!form) return;
    try {
        form->terminate();
    } catch (...) {
        // Terminate runs as the object goes; nothing can report an error from here.
    }
    delete form;
}

}  // namespace tolm::forms
