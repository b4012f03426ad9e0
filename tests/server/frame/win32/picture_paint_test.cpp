// The map drawn through the library into a picture box's device context, as the client does it:
// the picture box is a late-bound object whose hDC is a memory DC.
#include "com_support.h"

#include "TolmServer7_h.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace tolm::test {
namespace {

// A memory DC with a 32-bit DIB: the picture box's drawing surface.
class MemoryPicture {
public:
    MemoryPicture(int width, int height) : m_count(width * height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
        m_bits = static_cast<std::uint32_t*>(bits);
    }
    ~MemoryPicture() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    MemoryPicture(const MemoryPicture&) = delete;
    MemoryPicture& operator=(const MemoryPicture&) = delete;

    std::int32_t hdc() const { return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(m_dc)); }
    void fill(std::uint32_t rgb) { std::fill(m_bits, m_bits + m_count, rgb); }
    int count(std::uint32_t rgb) const {
        GdiFlush();
        return static_cast<int>(std::count_if(m_bits, m_bits + m_count, [rgb](std::uint32_t p) { return (p & 0xFFFFFFu) == rgb; }));
    }

private:
    int m_count;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};

TEST(PicturePaint, TheMapIsPaintedIntoThePictureBoxDeviceContextWhileTheClientsWindowIsOpen) {
    Apartment apartment;
    // The client's objects outlive the server, which holds on to them.
    PropertyBag events, form, box;
    ComPtr<_clsMapServ> server;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(k_clsid, nullptr, CLSCTX_INPROC_SERVER, k_iid, server.put_void()));
    Bstr callsign;
    BSTR& callsign_text = *callsign.put();
    callsign_text = SysAllocString(L"N0CALL");
    IDispatch* events_ref = &events;
    IDispatch* form_ref = &form;
    ASSERT_HRESULT_SUCCEEDED(server->Initialize(&callsign_text, &events_ref, &form_ref));

    constexpr int width = 80, height = 60;
    MemoryPicture picture(width, height);
    box.set(L"ScaleWidth", width);
    box.set(L"ScaleHeight", height);
    box.set(L"hDC", picture.hdc());
    IDispatch* box_ref = &box;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    VARIANT_BOOL drawn = VARIANT_FALSE;
    constexpr std::uint32_t untouched = 0xFF00FF;

    // The first drawing always paints.
    picture.fill(untouched);
    ASSERT_HRESULT_SUCCEEDED(server->ResizeMap(&box_ref, &x1, &y1, &x2, &y2, &drawn));
    EXPECT_EQ(picture.count(untouched), 0);

    // Later ones only while the client's main window is open.
    picture.fill(untouched);
    ASSERT_HRESULT_SUCCEEDED(server->ResizeMap(&box_ref, &x1, &y1, &x2, &y2, &drawn));
    EXPECT_EQ(picture.count(untouched), width * height);

    HWND client = CreateWindowExA(0, "STATIC", "Wendal32", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(client, nullptr);
    ASSERT_HRESULT_SUCCEEDED(server->ResizeMap(&box_ref, &x1, &y1, &x2, &y2, &drawn));
    EXPECT_EQ(picture.count(untouched), 0);
    DestroyWindow(client);
}

}  // namespace
}  // namespace tolm::test
