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

// COM interfaces have no virtual destructor by design; these objects live on the test's stack.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A late-bound object that takes every member: properties keep what was put, the rest read empty,
// methods do nothing. It stands for the client's picture box, main form and events object.
class PropertyBag final : public IDispatch {
public:
    PropertyBag() = default;
    PropertyBag(const PropertyBag&) = delete;
    PropertyBag& operator=(const PropertyBag&) = delete;
    ~PropertyBag() {
        for (auto& [id, value] : m_values) VariantClear(&value);
    }

    void set(const wchar_t* name, std::int32_t value) {
        VARIANT& slot = m_values[id_of(name)];
        VariantClear(&slot);
        slot.vt = VT_I4;
        slot.lVal = value;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }  // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = id_of(names[i]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && params && params->cArgs > 0) {
            VARIANT& slot = m_values[id];
            VariantClear(&slot);
            return VariantCopyInd(&slot, &params->rgvarg[0]);
        }
        if (result) {
            VariantInit(result);
            const auto found = m_values.find(id);
            if (found != m_values.end()) return VariantCopy(result, &found->second);
        }
        return S_OK;
    }

private:
    DISPID id_of(const wchar_t* name) {
        for (std::size_t i = 0; i < m_names.size(); ++i)
            if (_wcsicmp(m_names[i].c_str(), name) == 0) return static_cast<DISPID>(i + 1);
        m_names.emplace_back(name);
        return static_cast<DISPID>(m_names.size());
    }

    ULONG m_references = 1;
    std::vector<std::wstring> m_names;
    std::map<DISPID, VARIANT> m_values;
};

#pragma GCC diagnostic pop

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
