#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The registry as the Win32 registry functions present it. On Windows these forward to the real
// functions (advapi32, ANSI forms); on Linux they work on a file-backed store with the same model:
// predefined roots, keys with a default value, named typed values.
namespace tolm::platform::registry {

using Key = std::uintptr_t;  // an open key handle, or one of the predefined roots below
using Status = std::int32_t;  // a Win32 error code

constexpr Key HKEY_CLASSES_ROOT = 0x80000000u;
constexpr Key HKEY_CURRENT_USER = 0x80000001u;
constexpr Key HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr Key HKEY_USERS = 0x80000003u;
constexpr Key HKEY_CURRENT_CONFIG = 0x80000005u;

constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr std::uint32_t REG_MULTI_SZ = 7;

constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr std::uint32_t KEY_ALL_ACCESS_CLASSIC = 0x003F;  // query, set, create, enumerate, notify, link

constexpr Status ERROR_SUCCESS = 0;
constexpr Status ERROR_FILE_NOT_FOUND = 2;
constexpr Status ERROR_ACCESS_DENIED = 5;
constexpr Status ERROR_INVALID_HANDLE = 6;
constexpr Status ERROR_INVALID_PARAMETER = 87;
constexpr Status ERROR_MORE_DATA = 234;
constexpr Status ERROR_NO_MORE_ITEMS = 259;
constexpr Status ERROR_BADDB = 1009;
constexpr Status ERROR_KEY_DELETED = 1018;

// Same arguments and results as RegOpenKeyExA, RegCreateKeyExA (non-volatile, no class, default
// security), RegCloseKey, RegDeleteKeyA, RegQueryValueExA, RegSetValueExA, RegDeleteValueA,
// RegEnumKeyA, RegEnumValueA and RegQueryInfoKeyA (only the longest value name length).
// Strings are in the ANSI code page.
Status open_key(Key root, const std::string& path, std::uint32_t access, Key& out);
Status create_key(Key root, const std::string& path, std::uint32_t access, Key& out);
Status close_key(Key key);
Status delete_key(Key root, const std::string& path);
Status query_value(Key key, const std::string& name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size);
Status set_value(Key key, const std::string& name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size);
Status delete_value(Key key, const std::string& name);
Status enum_key(Key key, std::uint32_t index, char* name, std::uint32_t name_size);
Status enum_value(Key key, std::uint32_t index, char* name, std::uint32_t* name_size);
Status query_longest_value_name(Key key, std::uint32_t& length);

// ExpandEnvironmentStringsA: the size needed (terminator included) when size is too small.
std::uint32_t expand_environment_strings(const std::string& source, char* buffer, std::uint32_t size);

// Convenience for the frames and tools: read a string value (REG_SZ or REG_EXPAND_SZ, unexpanded),
// or write one, creating the key. Return false when the registry refuses.
bool read_string(Key root, const std::string& path, const std::string& name, std::string& out);
bool write_string(Key root, const std::string& path, const std::string& name, const std::string& value);
// Removes a key and everything below it; true when it is gone afterwards.
bool delete_tree(Key root, const std::string& path);

}  // namespace tolm::platform::registry
