#include "platform/native_desktop.h"
#include "platform/text.h"

#include <windows.h>

namespace tolm::platform::native {


WindowHandle find_window(const std::string& title) {
    return reinterpret_cast<WindowHandle>(FindWindowA(nullptr, utf8_to_ansi(title).c_str()));
}

ScreenMetrics screen_metrics() {
    ScreenMetrics metrics;
    metrics.width_pixels = GetSystemMetrics(SM_CXSCREEN);
    metrics.height_pixels = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    if (screen) {
        // 1440 twips to the inch.
        const int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
        const int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
        if (dpi_x > 0) metrics.twips_per_pixel_x = 1440 / dpi_x;
        if (dpi_y > 0) metrics.twips_per_pixel_y = 1440 / dpi_y;
        ReleaseDC(nullptr, screen);
    }
    return metrics;
}

void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command, std::uintptr_t data) {
    WinHelpA(reinterpret_cast<HWND>(owner), utf8_to_ansi(help_file).c_str(), command, static_cast<ULONG_PTR>(data));
}

}  // namespace tolm::platform::native
