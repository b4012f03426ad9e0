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

std::string module_folder() {
    const std::string& path = module_path();
    auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    // "C:\" keeps its separator; "C:\Maps" does not.
    if (separator == 2 && path.size() > 1 && path[1] == ':') return path.substr(0, 3);
    if (separator == 0) return path.substr(0, 1);
    return path.substr(0, separator);
}

std::string module_base_name() {
    const std::string& path = module_path();
    auto separator = path.find_last_of("\\/");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

char path_separator() { return '\\'; }

}  // namespace tolm::platform
