#ifdef _WIN32

// The control panel and a first start on the real desktop: the panel is a window with a menu bar
// whose items are chosen with WM_COMMAND, and the data path discovery asks through the system's
// message boxes and folder dialog, answered as a user answers them. Runs under Wine.
#include "server/clsCpanel.h"

#include "server/host_folders.h"

#include "server_fixture_support.h"
#include "support/scratch.h"

#include "common/clsIni.h"
#include "platform/app.h"
#include "platform/text.h"
#include "ui/current_window_system.h"
#include "ui/win32/dialog_driver.h"
#include "ui/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace tolm::server::test {
namespace {

using tolm::test::DialogDriver;

class FirstStartOnTheDesktop : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_real = std::make_unique<platform::ScopedWindowSystem>(m_windows);
    }
    void TearDown() override {
        m_real.reset();
        CoUninitialize();
        ServerTest::TearDown();
    }

    std::string load() {
        std::string d1, d2, d3, s0, s1, overlay, underlay;
        bool mono = false, mcd = false, counties = false, places = false, states = false, white = false, oneway = false;
        clsCpanel panel;
        panel.LoadIni(d1, d2, d3, s0, s1, mono, mcd, counties, places, states, white, oneway, overlay, underlay, false);
        return d1;
    }

    platform::win32::Win32WindowSystem m_windows;
    std::unique_ptr<platform::ScopedWindowSystem> m_real;
    tolm::test::ScratchFolder m_product{"product"};
};

TEST_F(FirstStartOnTheDesktop, TheUserBrowsesToTheProductFolderAndThePathsAreStored) {
    const std::string data1 = m_product.file("Data1");
    tolm::test::write_bytes(m_product.file("MAP.INI"),
                            "[Application Interface]\r\nData1Path=" + data1 + "\\\r\nData2Path=" + m_product.file("Data2") +
                                "\r\nData3Path=" + m_product.file("Data3") + "\r\nStatesPath=" + m_product.file("States") +
                                "\r\n");
    const std::string folder = m_product.path().string();
    std::vector<std::string> texts;
    DialogDriver driver;
    driver.when_titled(platform::app_title(), DialogDriver::press(IDOK, &texts));
    driver.when_folder_dialog([&](HWND dialog) { tolm::test::pick_folder(dialog, folder); });
    driver.when_titled(platform::app_title(), DialogDriver::press(IDOK, &texts));

    EXPECT_EQ(load(), data1);
    EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("You need to tell TolmServer7 the location"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("successfully configured"), std::string::npos) << texts[1];
    EXPECT_EQ(clsIni().GetIniString("PATHS", "DATA1", "").to_string(), data1);
    EXPECT_TRUE(m_desktop.message_boxes().empty()) << "nothing went to the headless desktop";
}

TEST_F(FirstStartOnTheDesktop, CancellingTheFolderDialogExplainsWhatIsMissing) {
    std::vector<std::string> texts;
    DialogDriver driver;
    driver.when_titled(platform::app_title(), DialogDriver::press(IDOK, &texts));
    driver.when_folder_dialog([](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); });
    driver.when_titled(platform::app_title(), DialogDriver::press(IDOK, &texts));
    EXPECT_EQ(load(), "");
    EXPECT_TRUE(driver.failures().empty());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[1].find("will not work properly"), std::string::npos) << texts[1];
}

// ---- The control panel, opened by the client through the server -------------------------------

using tolm::test::menu_command;

bool menu_checked(HWND window, UINT command) {
    // The panel's items are in its submenus; MF_BYCOMMAND searches them all.
    return (GetMenuState(GetMenu(window), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

class PanelOnTheDesktop : public FirstStartOnTheDesktop {
protected:
    void SetUp() override {
        FirstStartOnTheDesktop::SetUp();
        write_settings(k_complete_settings);
        initialize();
    }
    std::string setup_key(const char* key) { return clsIni().GetIniString("SETUP", key, "<missing>").to_string(); }
    void choose(HWND panel, std::initializer_list<const char*> path) {
        const UINT command = menu_command(panel, path);
        ASSERT_NE(command, 0u) << *path.begin();
        SendMessageA(panel, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        tolm::test::pump_messages();
    }
};

TEST_F(PanelOnTheDesktop, MenuCommandsApplyAndSaveOptionsAndOpenTheChooserAndTheAboutBox) {
    std::filesystem::path overlays(std::u8string(strOverlaysFolder.begin(), strOverlaysFolder.end()));
    ASSERT_FALSE(overlays.empty());
    std::filesystem::create_directories(overlays);
    for (const char* name : {"Skywarn.OVR", "ROADS.OVR", "Notes.txt"})
        tolm::test::write_bytes((overlays / name).string(), "{\"type\":\"FeatureCollection\",\"features\":[]}");

    bool shade_counties_checked_before = false, shade_counties_checked_after = true;
    std::string shade_key_at_once;
    std::vector<std::string> chooser_rows;
    bool about_seen = false;
    DialogDriver driver;
    driver.when_titled("TolmServer7 Control Panel", [&](HWND panel) {
        const UINT shade = menu_command(panel, {"&Options", "Shade &Counties"});
        shade_counties_checked_before = menu_checked(panel, shade);
        choose(panel, {"&Options", "Shade &Counties"});
        shade_counties_checked_after = menu_checked(panel, shade);
        shade_key_at_once = setup_key("SHADE_COUNTY");
        choose(panel, {"&Options", "&White Background"});
        choose(panel, {"O&verlays"});  // the chooser, answered below
        choose(panel, {"&About"});     // the about box, answered below
        choose(panel, {"E&xit"});
    });
    driver.when_titled("Overlays", [&](HWND chooser) {
        HWND list = tolm::test::find_child(chooser, "ListBox");
        const auto rows = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT row = 0; row < rows; ++row) {
            char text[MAX_PATH] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
            chooser_rows.emplace_back(text);
        }
        RECT item{};
        SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));  // ROADS.OVR, sorted first
        const LPARAM at = MAKELPARAM(item.left + 4, item.top + 2);
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list, WM_LBUTTONUP, 0, at);
        SendMessageA(tolm::test::find_child(chooser, "Button", "&Ok"), BM_CLICK, 0, 0);
    });
    driver.when_titled("About TolmServer7", [&](HWND about) {
        about_seen = tolm::test::find_child(about, "Button", "&Ok") != nullptr;
        // Escape acts as Ok; the key goes to the control that has the focus.
        HWND focus = GetFocus();
        HWND ok = tolm::test::find_child(about, "Button", "&Ok");
        tolm::test::press_key(focus && IsChild(about, focus) ? focus : ok, VK_ESCAPE, '\x1b');
    });
    m_server->ShowControlPanel();

    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
    EXPECT_TRUE(shade_counties_checked_before) << "counties are shaded by default";
    EXPECT_FALSE(shade_counties_checked_after);
    EXPECT_EQ(shade_key_at_once, "False") << "saved as the item is chosen";
    EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "True") << "saved when the panel closed";
    EXPECT_EQ(chooser_rows, (std::vector<std::string>{"ROADS.OVR", "Skywarn.OVR"}));
    EXPECT_EQ(to_lower_ascii(m_server->strOvlFile()), to_lower_ascii(strOverlaysFolder + "ROADS.OVR"));
    EXPECT_EQ(to_lower_ascii(setup_key("OVERLAY")), to_lower_ascii(strOverlaysFolder + "ROADS.OVR"));
    EXPECT_TRUE(about_seen);
    EXPECT_EQ(FindWindowA(nullptr, "About TolmServer7"), nullptr) << "Escape closed the about box";
    EXPECT_EQ(FindWindowA(nullptr, "TolmServer7 Control Panel"), nullptr) << "Exit closed the panel";
    std::error_code ignored;
    std::filesystem::remove_all(overlays, ignored);
}

}  // namespace
}  // namespace tolm::server::test

#endif
