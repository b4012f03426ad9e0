#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <string>

// The real desktop's own functions, which a window system backend for it builds on. On Linux there
// is no desktop: no windows are found, the screen is the headless default and help calls go nowhere.
namespace tolm::platform::native {

WindowHandle find_window(const std::string& title);
ScreenMetrics screen_metrics();
void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command, std::uintptr_t data);

}  // namespace tolm::platform::native
