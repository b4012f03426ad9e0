// The DLL's windows as the client meets them: a first start asks for the data paths through the
// system's message boxes and folder dialog, and special option 0 opens the search dialog, a real
// window of this process that is driven by window messages. Run by the frame.desktop test without
// TOLM_WINDOW_SYSTEM, so the library uses the real desktop.
#include "com_support.h"

#include "TolmServer7_h.h"
#include "ui/win32/dialog_driver.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace tolm::test {
namespace {

std::filesystem::path library_folder() { return std::filesystem::path(server_library_path()).parent_path(); }

TEST(DesktopClient, AFirstStartAsksThroughTheRealDialogsAndTheSearchDialogIsAWindow) {
    Apartment apartment;
    // A first start: no settings beside the library.
    std::filesystem::remove(library_folder() / "TolmServer7.INI");
    const std::filesystem::path product = std::filesystem::temp_directory_path() / "tolm-desktop-product";
    std::filesystem::create_directories(product);
    {
        std::ofstream map_ini(product / "MAP.INI", std::ios::binary);
        map_ini << "[Application Interface]\r\nData1Path=" << (product / "Data1").string() << "\r\nData2Path="
                << (product / "Data2").string() << "\r\nData3Path=" << (product / "Data3").string()
                << "\r\nStatesPath=" << (product / "States").string() << "\r\n";
    }
    const std::string product_path = product.string();

    HWND client = CreateWindowExA(0, "STATIC", "Wendal32", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(client, nullptr);
    PropertyBag events, form, box;
    form.set(L"hWnd", static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(client)));

    std::vector<std::string> texts;
    DialogDriver driver;
    driver.when_titled("TolmServer7", DialogDriver::press(IDOK, &texts));
    driver.when_folder_dialog([&](HWND dialog) { tolm::test::pick_folder(dialog, product_path); });
    driver.when_titled("TolmServer7", DialogDriver::press(IDOK, &texts));

    ComPtr<_clsMapServ> server;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(k_clsid, nullptr, CLSCTX_INPROC_SERVER, k_iid, server.put_void()));
    Bstr callsign;
    BSTR& callsign_text = *callsign.put();
    callsign_text = SysAllocString(L"N0CALL");
    IDispatch* events_ref = &events;
    IDispatch* form_ref = &form;
    ASSERT_HRESULT_SUCCEEDED(server->Initialize(&callsign_text, &events_ref, &form_ref));
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("You need to tell TolmServer7"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("successfully configured"), std::string::npos) << texts[1];

    // Special option 0: the search dialog, owned by the client's window.
    IDispatch* box_ref = &box;
    short option = 0;
    VARIANT_BOOL handled = VARIANT_TRUE;
    ASSERT_HRESULT_SUCCEEDED(server->SpecialMenuOption(&box_ref, &option, &handled));
    pump_messages();
    HWND dialog = FindWindowA(nullptr, "TolmServer Search");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), client);

    SendMessageA(find_child(dialog, "Button", "State"), BM_CLICK, 0, 0);
    HWND edit = find_child(dialog, "Edit");
    ASSERT_NE(edit, nullptr);
    type_chars(edit, "Texas");
    SendMessageA(find_child(dialog, "Button", "&Find"), BM_CLICK, 0, 0);
    pump_messages();
    HWND list = find_child(dialog, "ListBox");
    EXPECT_GE(SendMessageA(list, LB_GETCOUNT, 0, 0), 1) << "a row, or \"Nothing found.\"";

    SendMessageA(find_child(dialog, "Button", "&Close"), BM_CLICK, 0, 0);
    pump_messages();
    EXPECT_FALSE(IsWindowVisible(dialog));

    server.reset();
    pump_messages();
    EXPECT_EQ(FindWindowA(nullptr, "TolmServer Search"), nullptr) << "the dialog goes with the last object";
    DestroyWindow(client);
    std::error_code ignored;
    std::filesystem::remove_all(product, ignored);
    std::filesystem::remove(library_folder() / "TolmServer7.INI", ignored);
}

}  // namespace
}  // namespace tolm::test
