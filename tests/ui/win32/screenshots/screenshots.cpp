// Shows the server's windows on the desktop one by one and writes a PNG of each, as the user sees
// it: scripts/screenshots.sh runs it under Xvfb with Wine's X11 driver.
//
//   tolm_screenshots.exe <folder> [name...]     (no names: every window below)
//
// The exit code is 1 when a window did not appear or could not be captured.
#include "ui/win32/win32_window_system.h"

#include "platform/app.h"
#include "platform/raster/raster_surface.h"
#include "server/clsCpanel.h"
#include "server/forms/frmSearch.h"
#include "ui/current_window_system.h"
#include "ui/forms/dialogs.h"
#include "ui/forms/screen.h"
#include "ui/win32/dialog_driver.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using tolm::test::DialogDriver;
namespace forms = tolm::forms;
namespace platform = tolm::platform;

std::string g_folder;
int g_failures = 0;

// Lets the window paint, then copies it from the screen.
bool capture(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    for (int i = 0; i < 10; ++i) {
        tolm::test::pump_messages();
        Sleep(30);
    }
    RECT area{};
    GetWindowRect(window, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
    GdiFlush();
    bool written = false;
    if (copied && bits) {
        platform::RasterSurface surface(width, height);
        const auto* source = static_cast<const std::uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i) surface.pixels()[i] = 0xFF000000u | (source[i] & 0xFFFFFFu);
        try {
            platform::write_png(surface, g_folder + "\\" + name + ".png");
            written = true;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "tolm_screenshots: %s: %s\n", name.c_str(), error.what());
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s %s.png (%dx%d)\n", written ? "wrote" : "FAILED", name.c_str(), width, height);
    return written;
}

void check(DialogDriver& driver, const std::string& name) {
    for (const auto& failure : driver.failures()) {
        std::fprintf(stderr, "tolm_screenshots: %s: %s\n", name.c_str(), failure.c_str());
        ++g_failures;
    }
    if (!driver.done()) ++g_failures;
}

// A system dialog: captured when it appears, then answered with `answer`.
void shoot_dialog(const std::string& name, DialogDriver::Match match, int answer, const std::function<void()>& open) {
    DialogDriver driver;
    driver.when(std::move(match), name, [&](HWND window) {
        if (!capture(window, name)) ++g_failures;
        if (HWND button = GetDlgItem(window, answer)) {
            SendMessageA(button, BM_CLICK, 0, 0);
        } else {
            PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        }
    });
    open();
    check(driver, name);
}

bool titled_app(HWND window) { return tolm::test::text_of(window) == platform::app_title(); }
bool folder_dialog(HWND window) {
    return tolm::test::class_of(window) == "#32770" && tolm::test::find_child(window, "SysTreeView32") != nullptr;
}

// Adding a window is one line here: its file name and how it opens.
const std::vector<std::pair<std::string, std::function<void()>>>& shots() {
    static const std::vector<std::pair<std::string, std::function<void()>>> list{
        {"search-dialog",
         [] {
             auto form = forms::make_form<tolm::server::frmSearch>();
             form->show(forms::Modality::modeless);
             form->move((forms::screen::width() - form->width()) / 2, (forms::screen::height() - form->height()) / 2);
             if (!capture(reinterpret_cast<HWND>(form->hwnd()), "search-dialog")) ++g_failures;
         }},
        {"message-data-paths",
         [] {
             shoot_dialog("message-data-paths", titled_app, IDOK, [] {
                 forms::message_box("You need to tell TolmServer7 the location of your Kartovex V7 data files.  In the "
                                    "next dialogue, please browse to your Kartovex V7 program folder, then click 'Ok'.",
                                    platform::message_box_style::information);
             });
         }},
        {"message-wildcard",
         [] {
             shoot_dialog("message-wildcard", titled_app, IDOK, [] {
                 forms::message_box("The first character of the search text cannot be a wildcard.",
                                    platform::message_box_style::information);
             });
         }},
        {"folder-dialog",
         [] {
             shoot_dialog("folder-dialog", folder_dialog, IDCANCEL,
                          [] { tolm::server::BrowseFolder("Browse to the Kartovex V7 program folder", "C:\\"); });
         }},
    };
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolm_screenshots <folder> [name...]\n");
        return 2;
    }
    g_folder = argv[1];
    CreateDirectoryA(g_folder.c_str(), nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    platform::set_app_title("TolmServer7");
    platform::win32::Win32WindowSystem desktop;
    platform::ScopedWindowSystem installed(desktop);
    int shown = 0;
    for (const auto& [name, open] : shots()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || name == argv[i];
        if (!wanted) continue;
        ++shown;
        open();
    }
    CoUninitialize();
    if (shown == 0) {
        std::fprintf(stderr, "tolm_screenshots: no window of that name\n");
        return 2;
    }
    return g_failures == 0 ? 0 : 1;
}
