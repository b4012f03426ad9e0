#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <string>

// What the server asks of the desktop through the current window system: other programs' windows,
// the screen, and the help file.
namespace tolm::platform {

// The first top-level window titled exactly `title`, or 0. Asks the current window system.
WindowHandle find_window_by_title(const std::string& title);

// Screen.Width and Screen.Height, in twips.
std::int32_t screen_width_twips();
std::int32_t screen_height_twips();

// Remembers the window as the owner of later help calls and sets App.HelpFile to the module's folder
// followed by the help file name (one separator, also when the folder ends with one).
void InitHelp(WindowHandle owner);
// WinHelp(owner, help file, HELP_CONTEXT, topic).
void ShowHelpTopic(std::int32_t topic);
// WinHelp(owner, help file, HELP_QUIT, 0): closes the help window if this module opened it.
void CloseHelp();

}  // namespace tolm::platform
