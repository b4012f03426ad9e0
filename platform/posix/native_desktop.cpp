#include "platform/native_desktop.h"

namespace tolm::platform::native {

WindowHandle find_window(const std::string&) { return 0; }
ScreenMetrics screen_metrics() { return ScreenMetrics{}; }
void win_help(WindowHandle, const std::string&, std::uint32_t, std::uintptr_t) {}

}  // namespace tolm::platform::native
