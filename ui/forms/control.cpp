#include "ui/forms/control.h"

#include "ui/forms/form.h"
#include "ui/forms/static_controls.h"
#include "platform/runtime_error.h"

namespace tolm::forms {

Control::Control(Form& form, std::string name, std::int32_t index)
    : m_form(form), m_name(std::move(name)), m_index(index),
      m_tab_index(static_cast<std::int32_t>(form.controls().size())) {
    m_form.register_control(*this);
}

Control::~Control() { m_form.unregister_control(*this); }

void Control::move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) raise_runtime_error(runtime_errors::invalid_property_value, m_name);
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    changed();
}

void Control::set_enabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    changed();
    // A control that can no longer hold the focus gives it to the next one, as the platform does.
    if (!enabled && has_focus()) m_form.press_tab();
}

void Control::set_visible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    changed();
    if (!visible && has_focus()) m_form.press_tab();
}

bool Control::effectively_enabled() const noexcept {
    for (const Control* c = this; c; c = c->m_container) {
        if (!c->m_enabled) return false;
    }
    return true;
}

bool Control::effectively_visible() const noexcept {
    for (const Control* c = this; c; c = c->m_container) {
        if (!c->m_visible) return false;
    }
    return true;
}

void Control::set_container(Frame& frame) {
    if (&frame.form() != &m_form)
        throw RuntimeError(runtime_errors::invalid_procedure_call, m_name, "A control's container must be on its own form");
    for (const Control* c = &frame; c; c = c->m_container) {
        if (c == this)
            throw RuntimeError(runtime_errors::invalid_procedure_call, m_name, "A control cannot contain itself");
    }
    m_container = &frame;
    changed();
}

void Control::set_tab_index(std::int32_t tab_index) {
    if (tab_index < 0) raise_runtime_error(runtime_errors::invalid_property_value, m_name);
    m_form.move_in_tab_order(*this, tab_index);
}

bool Control::can_receive_focus() const noexcept {
    return takes_focus() && m_form.visible() && effectively_enabled() && effectively_visible();
}

bool Control::has_focus() const noexcept { return m_form.active_control() == this; }

void Control::set_focus() {
    if (!can_receive_focus()) raise_runtime_error(runtime_errors::invalid_procedure_call, m_name);
    m_form.focus(this);
}

void Control::copy_design_properties(const Control& model) {
    m_left = model.m_left;
    m_top = model.m_top;
    m_width = model.m_width;
    m_height = model.m_height;
    m_enabled = model.m_enabled;
    m_container = model.m_container;
    m_tab_stop = model.m_tab_stop;
    m_help_context_id = model.m_help_context_id;
    m_tag = model.m_tag;
}

void Control::default_key_down(std::int32_t, std::int32_t) {}
void Control::default_key_press(std::int32_t) {}

void Control::changed() { m_form.changed(this); }

bool Control::usable() const noexcept { return m_form.visible() && effectively_enabled() && effectively_visible(); }

void Control::focus_by_user() {
    if (can_receive_focus() && !has_focus()) m_form.focus(this);
}

}  // namespace tolm::forms
