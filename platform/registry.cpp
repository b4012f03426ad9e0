#include "platform/registry.h"

#include <vector>

// The convenience functions are written once over the registry functions, so they behave alike
// over the real registry and over the Linux store.
namespace tolm::platform::registry {

bool read_string(Key root, const std::string& path, const std::string& name, std::string& out) {
    Key key = 0;
    if (open_key(root, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return false;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    Status status = query_value(key, name, &type, nullptr, &size);
    std::vector<std::uint8_t> data(size + 1, 0);
    if (status == ERROR_SUCCESS && size > 0) status = query_value(key, name, &type, data.data(), &size);
    close_key(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // The stored terminating NUL (and any writer's extra ones) are not part of the text.
    std::string text(data.begin(), data.begin() + size);
    out = text.substr(0, text.find('\0'));
    return true;
}

bool write_string(Key root, const std::string& path, const std::string& name, const std::string& value) {
    Key key = 0;
    if (create_key(root, path, KEY_ALL_ACCESS_CLASSIC, key) != ERROR_SUCCESS) return false;
    Status status = set_value(key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(value.c_str()),
                              static_cast<std::uint32_t>(value.size() + 1));
    close_key(key);
    return status == ERROR_SUCCESS;
}

bool delete_tree(Key root, const std::string& path) {
    Key key = 0;
    Status status = open_key(root, path, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key);
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS) return false;
    std::vector<std::string> children;
    char name[256];
    for (std::uint32_t index = 0; enum_key(key, index, name, sizeof name) == ERROR_SUCCESS; ++index)
        children.emplace_back(name);
    close_key(key);
    for (const auto& child : children) delete_tree(root, path + "\\" + child);
    status = delete_key(root, path);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace tolm::platform::registry
