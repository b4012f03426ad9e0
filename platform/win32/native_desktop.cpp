#include "platform/native_desktop.h"
#include "platform/text.h"

#include <windows.h>
#include <shellapi.h>

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

namespace {

bool is_file(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(utf8_to_ansi(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

// Systems since Vista carry no WinHelp viewer, and the server ships its guide as HTML: with no .HLP
// file the guide opens in the user's browser at the topic's section. The browser window is the
// user's, so HELP_QUIT leaves it open.
void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command, std::uintptr_t data) {
    if (is_file(help_file)) {
        WinHelpA(reinterpret_cast<HWND>(owner), utf8_to_ansi(help_file).c_str(), command, static_cast<ULONG_PTR>(data));
        return;
    }
    if (command != HELP_CONTEXT && command != HELP_FINDER) return;
    const std::string guide = help_guide_for(help_file);
    if (!is_file(guide)) return;
    const std::string url = utf8_to_ansi(help_topic_url(guide, command, data));
    ShellExecuteA(reinterpret_cast<HWND>(owner), "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tolm::platform::native
