#include "platform/module_info.h"

#include "platform/win32/com_dispatch.h"

#include <windows.h>

#include <string>

namespace tolm::platform {

namespace {

// Any function of this module tells Windows which loaded image holds it: the DLL inside the
// client's process, not the client's executable.
void module_anchor() {}

std::string resolve_module_path() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&module_anchor), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // a long path: try again with room for it
    }
    return com::from_wide(path.data(), path.size());
}

}  // namespace

std::string module_path() {
    static const std::string path = resolve_module_path();
    return path;
}

char path_separator() { return '\\'; }

}  // namespace tolm::platform
