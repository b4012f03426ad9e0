#pragma once

#include <cstdint>

// The runtime's Screen object: the screen's size in twips, the active form and control, and the
// mouse pointer shown over the application's windows.
namespace tolm::forms {

class Form;
class Control;

namespace screen {

std::int32_t width();
std::int32_t height();
std::int32_t twips_per_pixel_x();
std::int32_t twips_per_pixel_y();

// The form the user works in (the last one shown and not hidden since), or null.
Form* active_form();
// The active form's control with the focus, or null.
Control* active_control();

std::int32_t mouse_pointer();
void set_mouse_pointer(std::int32_t pointer);

}  // namespace screen

// Selects the whole text of the screen's active control (SelStart 0, SelLength 32767); nothing happens
// when there is no active control or it holds no text.
void select_all_in_active_control() noexcept;

namespace detail {
// The forms' activation order, kept by Form.
void form_activated(Form& form);
void form_deactivated(Form& form) noexcept;
}  // namespace detail

}  // namespace tolm::forms
