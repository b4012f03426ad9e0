// The server as TolmServer7-Setup.exe left it, seen from a stand-in client: created by its ProgID,
// initialised and asked for a map of the United States, which it must draw from the installed
// default product without asking anything. After the uninstaller, none of our keys are left.
// The installation folder comes in TOLM_INSTALLED_FOLDER (run by installer_wine_test.sh).
#include "server/frame/win32/com_support.h"

#include "TolmServer7_h.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace tolm::test {
namespace {

std::wstring installed_folder() {
    const char* folder = std::getenv("TOLM_INSTALLED_FOLDER");
    return folder ? widen(folder) : std::wstring(L"C:\\Program Files\\TolmServer7");
}

std::string read_file(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(InstalledServer, IsRegisteredFromTheInstallationFolder) {
    bool found = false;
    const std::wstring class_id = read_class_value(k_prog_id + L"\\CLSID", nullptr, &found);
    ASSERT_TRUE(found);
    const std::wstring library = read_class_value(L"CLSID\\" + class_id + L"\\InprocServer32", nullptr, &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(_wcsicmp(library.c_str(), (installed_folder() + L"\\TolmServer7.dll").c_str()), 0);
}

TEST(InstalledServer, DrawsTheDefaultMapWithoutAsking) {
    const std::wstring settings = installed_folder() + L"\\TolmServer7.INI";
    const std::string settings_before = read_file(settings);
    ASSERT_NE(settings_before.find("DATA1="), std::string::npos) << "the installer wrote no PATHS";

    Apartment apartment;
    CLSID class_id{};
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(k_prog_id.c_str(), &class_id));
    PropertyBag events, form, box;
    ComPtr<_clsMapServ> server;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, k_iid, server.put_void()));
    Bstr callsign(L"N0CALL");
    BSTR callsign_text = callsign.get();
    IDispatch* events_ref = &events;
    IDispatch* form_ref = &form;
    const HRESULT initialized = server->Initialize(&callsign_text, &events_ref, &form_ref);
    if (FAILED(initialized)) {
        // The server's own text says what went wrong.
        std::wstring description;
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) == S_OK && info) {
            BSTR text = nullptr;
            if (SUCCEEDED(info->GetDescription(&text)) && text) description = text;
            SysFreeString(text);
            info->Release();
        }
        FAIL() << "Initialize failed with " << std::hex << initialized << ": " << description;
    }

    constexpr int width = 320, height = 200;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + width * height, 0xFF00FFu);
    box.set(L"ScaleWidth", width);
    box.set(L"ScaleHeight", height);
    box.set(L"hDC", static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(dc)));
    IDispatch* box_ref = &box;
    double x1 = -125, y1 = 49.5, x2 = -66.5, y2 = 24.5;
    VARIANT_BOOL drawn = VARIANT_FALSE;
    ASSERT_HRESULT_SUCCEEDED(server->DrawMapFromCorners(&box_ref, &x1, &y1, &x2, &y2, &drawn));
    EXPECT_EQ(drawn, VARIANT_TRUE);
    GdiFlush();

    // Water, land and boundaries: a real map has several colours, each on a fair part of it.
    std::map<std::uint32_t, int> colours;
    for (int i = 0; i < width * height; ++i) ++colours[pixels[i] & 0xFFFFFFu];
    EXPECT_EQ(colours.count(0xFF00FFu), 0u) << "part of the picture was not painted";
    int large = 0;
    for (const auto& [colour, count] : colours) large += count > width * height / 20;
    EXPECT_GE(large, 2) << "the map is blank: " << colours.size() << " colours";
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    server.reset();

    // Data path discovery would have asked for the product and rewritten PATHS.
    EXPECT_EQ(read_file(settings), settings_before);
}

TEST(AfterUninstall, NoKeysOfOursAreLeft) {
    EXPECT_FALSE(class_key_exists(k_prog_id));
    EXPECT_FALSE(class_key_exists(L"CLSID\\" + widen(frame::guid_text(frame::k_registration.class_id))));
    EXPECT_FALSE(class_key_exists(L"TypeLib\\" + widen(frame::guid_text(frame::k_registration.library_id))));
    EXPECT_FALSE(class_key_exists(L"Interface\\" + widen(frame::guid_text(frame::k_registration.interface_id))));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TolmServer7", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
}

}  // namespace
}  // namespace tolm::test
