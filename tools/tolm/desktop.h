#pragma once

#include "ui/headless/headless_window_system.h"

#include <string_view>
#include <vector>

// The host's desktop: the headless window system, which also keeps the server's loaded forms so
// that the host can find a dialog the server has shown modelessly by its title and use it as a user
// would. The forms are the server library's objects; the window system meets them because the
// library draws every window through the process's one window system.
namespace tolm::cli {

class Desktop : public platform::headless::HeadlessWindowSystem {
public:
    explicit Desktop(platform::headless::UnansweredPolicy policy);

    // The shown form with this title (compared without regard to case, as FindWindow does), or null.
    forms::Form* shown_form(std::string_view title) const;

    platform::WindowHandle create_form_window(forms::Form& form) override;
    void destroy_form_window(forms::Form& form) override;
    // Recorded, and opened on the real desktop: the user guide in the browser at the topic's section.
    void win_help(platform::WindowHandle owner, const std::string& help_file, std::uint32_t command,
                  std::uintptr_t data) override;

private:
    std::vector<forms::Form*> m_forms;
};

}  // namespace tolm::cli
