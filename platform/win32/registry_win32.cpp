#include "platform/registry.h"

#include <windows.h>

// The real registry functions (ANSI forms). Handles pass through unchanged: a Key is an HKEY.
namespace tolm::platform::registry {

namespace {

HKEY to_hkey(Key key) { return reinterpret_cast<HKEY>(key); }
Key from_hkey(HKEY key) { return reinterpret_cast<Key>(key); }

}  // namespace

Status open_key(Key root, const std::string& path, std::uint32_t access, Key& out) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(to_hkey(root), path.c_str(), 0, access, &opened);
    out = status == ERROR_SUCCESS ? from_hkey(opened) : 0;
    return status;
}

Status create_key(Key root, const std::string& path, std::uint32_t access, Key& out) {
    HKEY created = nullptr;
    LONG status = RegCreateKeyExA(to_hkey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                  &created, nullptr);
    out = status == ERROR_SUCCESS ? from_hkey(created) : 0;
    return status;
}

Status close_key(Key key) { return RegCloseKey(to_hkey(key)); }

Status delete_key(Key root, const std::string& path) { return RegDeleteKeyA(to_hkey(root), path.c_str()); }

Status query_value(Key key, const std::string& name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    DWORD found_type = 0;
    DWORD found_size = size ? *size : 0;
    LONG status = RegQueryValueExA(to_hkey(key), name.c_str(), nullptr, type ? &found_type : nullptr, data,
                                   size ? &found_size : nullptr);
    if (type) *type = found_type;
    if (size) *size = found_size;
    return status;
}

Status set_value(Key key, const std::string& name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    return RegSetValueExA(to_hkey(key), name.c_str(), 0, type, data, size);
}

Status delete_value(Key key, const std::string& name) { return RegDeleteValueA(to_hkey(key), name.c_str()); }

Status enum_key(Key key, std::uint32_t index, char* name, std::uint32_t name_size) {
    return RegEnumKeyA(to_hkey(key), index, name, name_size);
}

Status enum_value(Key key, std::uint32_t index, char* name, std::uint32_t* name_size) {
    DWORD size = name_size ? *name_size : 0;
    LONG status = RegEnumValueA(to_hkey(key), index, name, name_size ? &size : nullptr, nullptr, nullptr, nullptr,
                                nullptr);
    if (name_size) *name_size = size;
    return status;
}

Status query_longest_value_name(Key key, std::uint32_t& length) {
    DWORD longest = 0;
    LONG status = RegQueryInfoKeyA(to_hkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &longest, nullptr, nullptr, nullptr);
    length = longest;
    return status;
}

std::uint32_t expand_environment_strings(const std::string& source, char* buffer, std::uint32_t size) {
    return ExpandEnvironmentStringsA(source.c_str(), buffer, size);
}

}  // namespace tolm::platform::registry
