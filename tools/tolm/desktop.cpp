#include "tools/tolm/desktop.h"

#include "ui/forms/form.h"
#include "platform/native_desktop.h"
#include "platform/text.h"

#include <algorithm>

namespace tolm::cli {

Desktop::Desktop(platform::headless::UnansweredPolicy policy) : HeadlessWindowSystem(policy) {}

forms::Form* Desktop::shown_form(std::string_view title) const {
    for (forms::Form* form : m_forms)
        if (form->loaded() && form->visible() && equals_ignoring_case(form->caption(), title)) return form;
    return nullptr;
}

platform::WindowHandle Desktop::create_form_window(forms::Form& form) {
    const platform::WindowHandle window = HeadlessWindowSystem::create_form_window(form);
    m_forms.push_back(&form);
    return window;
}

void Desktop::destroy_form_window(forms::Form& form) {
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), &form), m_forms.end());
    HeadlessWindowSystem::destroy_form_window(form);
}

void Desktop::win_help(platform::WindowHandle owner, const std::string& help_file, std::uint32_t command,
                       std::uintptr_t data) {
    HeadlessWindowSystem::win_help(owner, help_file, command, data);
    platform::native::win_help(owner, help_file, command, data);
}

}  // namespace tolm::cli
