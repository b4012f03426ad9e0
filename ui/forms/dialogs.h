#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <string>

// The system's own dialogs as the server's forms and modules call them.
namespace tolm::forms {

// MsgBox: a modal message box owned by the active form. An empty title shows the application's
// title. Returns the number of the button pressed.
std::int32_t message_box(const std::string& text, std::uint32_t style = platform::message_box_style::ok_only,
                         const std::string& title = {});

// The open-file dialog: title, owner, the flags passed plus "hide the read-only box" (4) and "do not
// change the current folder" (8), the initial folder and the filter ("INF files|*.INF"). Returns the
// chosen full path, or an empty text when the user cancels or anything fails. The default extension
// and file name pattern are accepted and not used.
std::string pick_file(platform::WindowHandle owner, const std::string& default_extension,
                      const std::string& file_pattern, const std::string& initial_folder, const std::string& filter,
                      const std::string& title, std::int32_t flags) noexcept;

}  // namespace tolm::forms
