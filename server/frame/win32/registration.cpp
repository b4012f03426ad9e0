#include "server/frame/win32/registration.h"

#include "server/frame/frame_core.h"
#include "server/frame/registration_table.h"
#include "server/frame/win32/module_state.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>

namespace tolm::frame::win32 {

namespace {

std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

// One string value under HKEY_CLASSES_ROOT, creating the key; false when the registry refuses.
bool write_value(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    LONG status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool delete_tree(const std::wstring& path) {
    LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool key_exists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool write_class_keys(const std::wstring& library_path) {
    // The rows are ASCII; only the library's own path needs Windows' wide text as it is.
    for (const auto& row : registration_rows()) {
        const std::wstring name = widen(row.name);
        if (!write_value(widen(row.key), row.name.empty() ? nullptr : name.c_str(),
                         row.is_library_path ? library_path : widen(row.value)))
            return false;
    }
    return true;
}

HRESULT register_type_library(const std::wstring& library_path) {
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(library_path.c_str(), REGKIND_NONE, &library);
    if (hr < 0) return hr;
    // The help file lies beside the library.
    std::wstring path = library_path;
    std::wstring folder = library_path.substr(0, library_path.find_last_of(L"\\/"));
    hr = RegisterTypeLib(library, path.data(), folder.data());
    library->Release();
    return hr;
}

}  // namespace

HRESULT register_server() noexcept {
    try {
        const std::wstring library_path = module_file_name();
        if (library_path.empty()) return SELFREG_E_CLASS;
        if (!write_class_keys(library_path)) {
            unregister_server();
            return SELFREG_E_CLASS;
        }
        if (register_type_library(library_path) < 0) {
            unregister_server();
            return SELFREG_E_TYPELIB;
        }
        return S_OK;
    } catch (...) {
        unregister_server();
        return SELFREG_E_CLASS;
    }
}

HRESULT unregister_server() noexcept {
    try {
        // The type library's unregistration also removes the interface keys it wrote. A library that
        // was never registered is not an error; one whose keys stay behind is.
        GUID library_id = to_guid(k_registration.library_id);
        const std::wstring typelib_key = L"TypeLib\\" + widen(guid_text(k_registration.library_id));
        bool typelib_ok = true;
        if (key_exists(typelib_key)) {
            // The library is registered for the kind of system the DLL was built for.
            const SYSKIND system_kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
            UnRegisterTypeLib(library_id, k_registration.library_major, k_registration.library_minor, 0x0409,
                              system_kind);
            typelib_ok = !key_exists(typelib_key + L"\\" + std::to_wstring(k_registration.library_major) + L"." +
                                     std::to_wstring(k_registration.library_minor));
        }
        bool ok = true;
        for (const auto& root : registration_roots()) ok = delete_tree(widen(root)) && ok;
        if (!ok) return SELFREG_E_CLASS;
        return typelib_ok ? S_OK : SELFREG_E_TYPELIB;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

}  // namespace tolm::frame::win32
