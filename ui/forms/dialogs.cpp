#include "ui/forms/dialogs.h"

#include "ui/forms/form.h"
#include "ui/forms/screen.h"
#include "platform/app.h"
#include "ui/current_window_system.h"

namespace tolm::forms {

std::int32_t message_box(const std::string& text, std::uint32_t style, const std::string& title) {
    platform::MessageBoxRequest request;
    Form* active = screen::active_form();
    request.owner = active ? active->hwnd() : 0;
    request.text = text;
    request.title = title.empty() ? platform::app_title() : title;
    request.style = style;
    return platform::window_system().message_box(request);
}

std::string pick_file(platform::WindowHandle owner, const std::string&, const std::string&,
                      const std::string& initial_folder, const std::string& filter, const std::string& title,
                      std::int32_t flags) noexcept {
    try {
        platform::OpenFileRequest request;
        request.title = title;
        request.owner = owner;
        request.flags = static_cast<std::uint32_t>(flags) | platform::open_file_flags::hide_read_only |
                        platform::open_file_flags::no_change_dir;
        request.initial_folder = initial_folder;
        request.filter = filter;
        request.max_file_size = 0;
        auto chosen = platform::window_system().open_file(request);
        return chosen ? *chosen : std::string{};
    } catch (...) {
        return {};
    }
}

}  // namespace tolm::forms
