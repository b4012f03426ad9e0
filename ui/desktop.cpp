#include "ui/desktop.h"

#include "platform/app.h"
#include "platform/module_info.h"
#include "ui/current_window_system.h"

namespace tolm::platform {

namespace {

// The owner of help calls belongs to the module, like the App object's help file.
WindowHandle& help_owner() {
    static WindowHandle owner = 0;
    return owner;
}

}  // namespace

WindowHandle find_window_by_title(const std::string& title) { return window_system().find_window(title); }

std::int32_t screen_width_twips() { return window_system().screen_metrics().width_twips(); }
std::int32_t screen_height_twips() { return window_system().screen_metrics().height_twips(); }

void InitHelp(WindowHandle owner) {
    help_owner() = owner;
    set_app_help_file(help_file_in(module_folder()));
}

void ShowHelpTopic(std::int32_t topic) {
    window_system().win_help(help_owner(), app_help_file(), HELP_CONTEXT, static_cast<std::uintptr_t>(topic));
}

void CloseHelp() { window_system().win_help(help_owner(), app_help_file(), HELP_QUIT, 0); }

}  // namespace tolm::platform
