// Shows the server's windows on the desktop one by one and writes a PNG of each, as the user sees
// it: scripts/screenshots.sh runs it under Xvfb with Wine's X11 driver.
//
//   tolm_screenshots.exe <folder> [name...]     (no names: every window below)
//
// The exit code is 1 when a window did not appear or could not be captured.
#include "ui/win32/win32_window_system.h"

#include "TolmServer7_h.h"
#include "server/frame/win32/com_support.h"

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
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

using tolm::test::DialogDriver;
namespace forms = tolm::forms;
namespace platform = tolm::platform;

std::string g_folder;
int g_failures = 0;

// Copies an area of the screen.
bool capture_area(const RECT& area, const std::string& name) {
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

// Lets the windows paint, then waits a moment more for what they post themselves.
void let_paint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    for (int i = 0; i < 10; ++i) {
        tolm::test::pump_messages();
        Sleep(30);
    }
}

// Lets the window paint, then copies it from the screen.
bool capture(HWND window, const std::string& name) {
    let_paint(window);
    RECT area{};
    GetWindowRect(window, &area);
    return capture_area(area, name);
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

// ---- The server library as the client loads it -------------------------------------------------

// A copy of TolmServer7.dll in a folder of its own, with settings that name every data folder (so
// its start asks nothing) and a few overlay files for the chooser. The panel and the about box come
// from the library itself, with its own version resource.
class LibraryServer {
public:
    static LibraryServer& get() {
        if (!slot()) slot().reset(new LibraryServer);
        return *slot();
    }
    // Lets the server go, and its folder, before the program ends.
    static void release() { slot().reset(); }
    _clsMapServ* operator->() const { return m_server.get(); }
    explicit operator bool() const { return static_cast<bool>(m_server); }

    ~LibraryServer() {
        m_server.reset();
        if (m_client) DestroyWindow(m_client);
        std::error_code ignored;
        if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
    }

private:
    LibraryServer() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::filesystem::path built = std::filesystem::path(path).parent_path() / "TolmServer7.dll";
        m_folder = std::filesystem::temp_directory_path() / "tolm-screenshots-library";
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
        std::filesystem::create_directories(m_folder / "Tolm Overlays", error);
        if (!error) std::filesystem::copy_file(built, m_folder / "TolmServer7.dll", error);
        if (error) {
            std::fprintf(stderr, "tolm_screenshots: cannot copy %s: %s\n", built.string().c_str(), error.message().c_str());
            return;
        }
        write(m_folder / "TolmServer7.INI",
              "[PATHS]\r\nDATA1=C:\\Maps\\Data1\r\nDATA2=C:\\Maps\\Data2\r\nDATA3=C:\\Maps\\Data3\r\n"
              "STATES0=C:\\Maps\\States\r\n[SETUP]\r\nOVERLAY=" +
                  (m_folder / "Tolm Overlays" / "Repeaters.OVR").string() + "\r\n");
        for (const char* name : {"Repeaters.OVR", "Skywarn nets.OVR", "Interstate rest areas.OVR"})
            write(m_folder / "Tolm Overlays" / name, "{\"type\":\"FeatureCollection\",\"features\":[]}");

        using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        HMODULE library = LoadLibraryA((m_folder / "TolmServer7.dll").string().c_str());
        auto get_class_object = library ? reinterpret_cast<GetClassObject>(
                                              reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")))
                                        : nullptr;
        tolm::test::ComPtr<IClassFactory> factory;
        if (!get_class_object || FAILED(get_class_object(tolm::test::k_clsid, IID_IClassFactory, factory.put_void())) ||
            FAILED(factory->CreateInstance(nullptr, tolm::test::k_iid, m_server.put_void()))) {
            std::fprintf(stderr, "tolm_screenshots: cannot create the server from %s\n", (m_folder / "TolmServer7.dll").string().c_str());
            m_server.reset();
            return;
        }
        // The client's main form, never shown: the panel is owned by it as by the client's.
        m_client = CreateWindowExA(0, "STATIC", "Wendal32", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                                   nullptr, nullptr);
        m_form.set(L"hWnd", static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(m_client)));
        BSTR callsign = SysAllocString(L"N0CALL");
        IDispatch* events = &m_events;
        IDispatch* form = &m_form;
        if (FAILED(m_server->Initialize(&callsign, &events, &form))) {
            std::fprintf(stderr, "tolm_screenshots: the server did not start\n");
            m_server.reset();
        }
        SysFreeString(callsign);
    }

    static std::unique_ptr<LibraryServer>& slot() {
        static std::unique_ptr<LibraryServer> server;
        return server;
    }
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

    std::filesystem::path m_folder;
    tolm::test::PropertyBag m_events, m_form;
    HWND m_client = nullptr;
    tolm::test::ComPtr<_clsMapServ> m_server;
};

using tolm::test::menu_command;

void choose(HWND window, std::initializer_list<const char*> path) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(menu_command(window, path), 0), 0);
}

bool is_panel(HWND window) { return tolm::test::text_of(window) == "TolmServer7 Control Panel"; }

void close_panel(HWND panel) { PostMessageA(panel, WM_COMMAND, MAKEWPARAM(menu_command(panel, {"E&xit"}), 0), 0); }

// Opens the library's control panel; `on_panel` acts on it (and on what it opens, through the
// driver) and the panel is closed with Exit after it, unless it answers that it closes the panel
// itself.
void with_panel(const std::string& name, const std::function<bool(HWND, DialogDriver&)>& on_panel) {
    LibraryServer& server = LibraryServer::get();
    if (!server) {
        ++g_failures;
        return;
    }
    DialogDriver driver;
    driver.when(is_panel, name, [&](HWND panel) {
        let_paint(panel);
        if (on_panel(panel, driver) && IsWindow(panel)) close_panel(panel);
    });
    if (FAILED(server->ShowControlPanel())) ++g_failures;
    check(driver, name);
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
        {"control-panel",
         [] {
             with_panel("control-panel", [](HWND panel, DialogDriver&) {
                 if (!capture(panel, "control-panel")) ++g_failures;
                 return true;
             });
         }},
        {"control-panel-options",
         [] {
             // The Options menu dropped down, as a click on it shows it: the picture holds the panel
             // and the menu.
             with_panel("control-panel-options", [](HWND panel, DialogDriver& driver) {
                 driver.when([](HWND window) { return tolm::test::class_of(window) == "#32768"; }, "the Options menu",
                             [panel](HWND menu) {
                                 let_paint(menu);
                                 RECT area{}, popup{};
                                 GetWindowRect(panel, &area);
                                 GetWindowRect(menu, &popup);
                                 UnionRect(&area, &area, &popup);
                                 if (!capture_area(area, "control-panel-options")) ++g_failures;
                                 EndMenu();
                                 close_panel(panel);
                             });
                 PostMessageA(panel, WM_SYSCOMMAND, SC_KEYMENU, 'o');
                 return false;
             });
         }},
        {"overlay-chooser",
         [] {
             with_panel("overlay-chooser", [](HWND panel, DialogDriver& driver) {
                 driver.when_titled("Overlays", [](HWND chooser) {
                     if (!capture(chooser, "overlay-chooser")) ++g_failures;
                     SendMessageA(tolm::test::find_child(chooser, "Button", "&Cancel"), BM_CLICK, 0, 0);
                 });
                 choose(panel, {"O&verlays"});
                 return true;
             });
         }},
        {"about-box",
         [] {
             with_panel("about-box", [](HWND panel, DialogDriver& driver) {
                 driver.when_titled("About TolmServer7", [](HWND about) {
                     if (!capture(about, "about-box")) ++g_failures;
                     SendMessageA(tolm::test::find_child(about, "Button", "&Ok"), BM_CLICK, 0, 0);
                 });
                 choose(panel, {"&About"});
                 return true;
             });
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
    LibraryServer::release();
    CoUninitialize();
    if (shown == 0) {
        std::fprintf(stderr, "tolm_screenshots: no window of that name\n");
        return 2;
    }
    return g_failures == 0 ? 0 : 1;
}
