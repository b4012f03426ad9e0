#include "server/frame/win32/module_state.h"

#include <cstring>
#include <string>

namespace tolm::frame::win32 {

namespace {

HMODULE g_module = nullptr;

}  // namespace

HMODULE module_handle() noexcept { return g_module; }

void set_module_handle(HMODULE module) noexcept { g_module = module; }

std::wstring module_file_name() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

GUID to_guid(const Guid& guid) noexcept {
    GUID result{};
    result.Data1 = guid.data1;
    result.Data2 = guid.data2;
    result.Data3 = guid.data3;
    std::memcpy(result.Data4, guid.data4.data(), sizeof result.Data4);
    return result;
}

bool same_guid(const GUID& a, const Guid& b) noexcept {
    GUID converted = to_guid(b);
    return IsEqualGUID(a, converted) != 0;
}

}  // namespace tolm::frame::win32
