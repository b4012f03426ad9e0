#ifdef _WIN32

#include "ui/current_window_system.h"

#include "ui/desktop.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace tolm::platform {
namespace {

TEST(DefaultWindowSystem, FindsTheRealDesktopsTopLevelWindows) {
    WindowSystem* installed = set_window_system(nullptr);
    const char* title = "tolm find-window check";
    HWND window = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(find_window_by_title(title), reinterpret_cast<WindowHandle>(window));
    DestroyWindow(window);
    EXPECT_EQ(find_window_by_title(title), 0u);
    set_window_system(installed);
}

}  // namespace
}  // namespace tolm::platform

#endif
