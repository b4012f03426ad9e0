#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <string>

// The real desktop's own functions, which a window system backend for it builds on. On Linux no
// windows are found and the screen is the headless default; help opens the user guide (HTML) in the
// desktop's browser when there is a display and an opener (xdg-open).
namespace tolm::platform::native {

WindowHandle find_window(const std::string& title);
ScreenMetrics screen_metrics();
// WinHelpA on Windows where the help file exists; otherwise (and always on Linux) the user guide,
// rendered as HTML beside the help file's name, at the topic's section in the desktop's browser.
void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command, std::uintptr_t data);

// The HTML guide that stands for a help file: the same name with ".html" for its extension.
std::string help_guide_for(const std::string& help_file);
// The guide's file URL, at the topic's section ("#topic-30") for HELP_CONTEXT.
std::string help_topic_url(const std::string& guide, std::uint32_t command, std::uintptr_t data);

}  // namespace tolm::platform::native
