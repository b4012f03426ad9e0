#include "ui/forms/buttons.h"

#include "ui/forms/form.h"
#include "ui/forms/keys.h"

namespace tolm::forms {

CommandButton::CommandButton(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {}

CommandButton::~CommandButton() {
    if (form().m_default_button == this) form().m_default_button = nullptr;
    if (form().m_cancel_button == this) form().m_cancel_button = nullptr;
}

void CommandButton::set_caption(std::string caption) {
    m_caption = std::move(caption);
    changed();
}

bool CommandButton::is_default() const noexcept { return form().m_default_button == this; }

void CommandButton::set_default(bool is_default) {
    if (is_default) {
        form().m_default_button = this;
    } else if (form().m_default_button == this) {
        form().m_default_button = nullptr;
    }
    changed();
}

bool CommandButton::is_cancel() const noexcept { return form().m_cancel_button == this; }

void CommandButton::set_cancel(bool is_cancel) {
    if (is_cancel) {
        form().m_cancel_button = this;
    } else if (form().m_cancel_button == this) {
        form().m_cancel_button = nullptr;
    }
}

void CommandButton::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* button = dynamic_cast<const CommandButton*>(&model)) m_caption = button->m_caption;
}

bool CommandButton::click() {
    if (!usable()) return false;
    focus_by_user();
    if (on_click) on_click();
    return true;
}

void CommandButton::press_from_code() {
    if (on_click) on_click();
}

void CommandButton::default_key_press(std::int32_t key_ascii) {
    if (key_ascii == key::space && on_click) on_click();
}

OptionButton::OptionButton(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {}

void OptionButton::set_caption(std::string caption) {
    m_caption = std::move(caption);
    changed();
}

void OptionButton::select() {
    for (Control* control : form().controls()) {
        auto* other = dynamic_cast<OptionButton*>(control);
        if (other && other != this && other->container() == container() && other->m_value) {
            other->m_value = false;
            other->changed();
        }
    }
    m_value = true;
    changed();
}

void OptionButton::set_value(bool value) {
    if (value == m_value) return;
    if (!value) {
        m_value = false;
        changed();
        return;
    }
    select();
    if (on_click) on_click();
}

void OptionButton::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* button = dynamic_cast<const OptionButton*>(&model)) m_caption = button->m_caption;
}

bool OptionButton::click() {
    if (!usable()) return false;
    focus_by_user();
    select();
    // The platform reports every click, also on the button that was selected already.
    if (on_click) on_click();
    return true;
}

void OptionButton::default_key_press(std::int32_t key_ascii) {
    if (key_ascii != key::space) return;
    select();
    if (on_click) on_click();
}

}  // namespace tolm::forms
