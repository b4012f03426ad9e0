#ifdef _WIN32

// A first start on the real desktop: the data path discovery asks through the system's message
// boxes and folder dialog, answered as a user answers them. Runs under Wine.
#include "server/clsCpanel.h"

#include "server_fixture_support.h"
#include "support/scratch.h"

#include "common/clsIni.h"
#include "platform/app.h"
#include "ui/current_window_system.h"
#include "ui/win32/dialog_driver.h"
#include "ui/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

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
    driver.when_folder_dialog([&](HWND dialog) {
        SendMessageA(dialog, platform::BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
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

}  // namespace
}  // namespace tolm::server::test

#endif
