#include "ui/forms/screen.h"

#include "ui/forms/form.h"
#include "ui/forms/text_box.h"
#include "platform/process_services.h"
#include "ui/current_window_system.h"


namespace tolm::forms {

namespace {

// Shown forms, most recently activated last. One per process: the server library's forms and the
// host's forms share one screen.
platform::ProcessServices& desktop() { return platform::process_services(); }

}  // namespace

namespace screen {

std::int32_t width() { return platform::window_system().screen_metrics().width_twips(); }
std::int32_t height() { return platform::window_system().screen_metrics().height_twips(); }
std::int32_t twips_per_pixel_x() { return platform::window_system().screen_metrics().twips_per_pixel_x; }
std::int32_t twips_per_pixel_y() { return platform::window_system().screen_metrics().twips_per_pixel_y; }

Form* active_form() { return desktop().active_form(); }

Control* active_control() {
    Form* form = active_form();
    return form ? form->active_control() : nullptr;
}

std::int32_t mouse_pointer() { return desktop().mouse_pointer(); }

void set_mouse_pointer(std::int32_t pointer) {
    desktop().set_mouse_pointer(pointer);
    platform::window_system().set_mouse_pointer(pointer);
}

}  // namespace screen

void select_all_in_active_control() noexcept {
    try {
        if (auto* box = dynamic_cast<TextBox*>(screen::active_control())) {
            box->set_sel_start(0);
            box->set_sel_length(32767);
        }
    } catch (...) {
        // Selecting is a convenience; a failure leaves the selection as it was.
    }
}

namespace detail {

void form_activated(Form& form) { desktop().form_activated(&form); }

void form_deactivated(Form& form) noexcept { desktop().form_deactivated(&form); }

}  // namespace detail

}  // namespace tolm::forms
