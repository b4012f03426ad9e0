#pragma once

// Small helpers for the Windows client tests: the apartment, counted references, BSTRs and the
// server library's exports, used the way the client program uses them.
#include "server/frame/registration_table.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace tolm::test {

// The client's user-interface thread is a single-threaded apartment.
class Apartment {
public:
    Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Apartment() { CoUninitialize(); }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
};

// A counted interface reference that releases itself.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return m_pointer; }
    T* get() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    T** put() {
        reset();
        return &m_pointer;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (m_pointer) m_pointer->Release();
        m_pointer = nullptr;
    }

private:
    T* m_pointer = nullptr;
};

// A BSTR that frees itself.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : m_text(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR* put() {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    BSTR get() const { return m_text; }
    std::wstring text() const { return m_text ? std::wstring(m_text, SysStringLen(m_text)) : std::wstring(); }

private:
    BSTR m_text = nullptr;
};

inline GUID to_guid(const frame::Guid& guid) {
    GUID result{};
    result.Data1 = guid.data1;
    result.Data2 = guid.data2;
    result.Data3 = guid.data3;
    std::memcpy(result.Data4, guid.data4.data(), sizeof result.Data4);
    return result;
}

inline std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

inline const GUID k_clsid = to_guid(frame::k_registration.class_id);
inline const GUID k_iid = to_guid(frame::k_registration.interface_id);
inline const GUID k_libid = to_guid(frame::k_registration.library_id);
inline const std::wstring k_prog_id = widen(frame::k_registration.prog_id);

// TolmServer7.dll beside the test program (both are built into the same bin folder).
inline std::wstring server_library_path() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + L"TolmServer7.dll";
}

// A string value under HKEY_CLASSES_ROOT; `found` tells whether the key and value exist.
inline std::wstring read_class_value(const std::wstring& path, const wchar_t* name, bool* found = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    LONG status = RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    if (found) *found = status == ERROR_SUCCESS;
    return status == ERROR_SUCCESS ? std::wstring(buffer) : std::wstring();
}

inline bool class_key_exists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

using ExportFn = HRESULT(WINAPI*)();

// One of the library's parameterless exports, from the copy COM loaded (or loads now).
inline ExportFn server_export(const char* name) {
    HMODULE module = GetModuleHandleW(L"TolmServer7.dll");
    if (!module) module = LoadLibraryW(server_library_path().c_str());
    if (!module) return nullptr;
    return reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// COM interfaces have no virtual destructor by design; these objects live on the test's stack.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A late-bound object that takes every member, as the client's picture box, main form and events
// object are to the server: properties keep what was put, the rest read empty, methods do nothing.
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

}  // namespace tolm::test
