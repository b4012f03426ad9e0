#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The Linux registry: one text file that holds every key and value, shared by all processes of the
// user. The format is described in docs/registry-store.md:
//
//   TOLM-REGISTRY 1
//   key "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Orvensa\\Wendal32"
//   value "Program Folder" 1 "C:\\Wendal32\x00"
//   end
//
// Each key line names a key by its full path from its root; the value lines after it are that key's
// values in the order they were created: name, type number, data bytes. Both names and data are
// quoted, with \\, \" and \xHH for every byte outside printable ASCII, so any byte survives. The
// closing "end" line tells a complete file from one cut short.
namespace tolm::platform::registry::detail {

struct RegistryValue {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RegistryValue&) const = default;
};

struct RegistryKeyNode {
    std::string path;  // full path as first created, e.g. "HKEY_CURRENT_USER\Software\X"
    std::vector<RegistryValue> values;
    bool operator==(const RegistryKeyNode&) const = default;
};

// A store file that cannot be read as one: the text says where and why.
class StoreDamaged : public std::runtime_error {
public:
    explicit StoreDamaged(const std::string& what) : std::runtime_error(what) {}
};

// The deepest a key may lie below its root, as in the system's registry (512 levels); deeper keys
// are refused when created (ERROR_INVALID_PARAMETER) and make a store file damaged when read.
inline constexpr std::size_t k_max_key_depth = 512;

class RegistryStore {
public:
    // Levels below the root: the number of "\" in a full path.
    static std::size_t depth(std::string_view full_path) noexcept;

    // The predefined roots always exist.
    RegistryStore();

    // Throws StoreDamaged for anything that is not a complete store file. An empty file is an
    // empty store: there is nothing in it to lose.
    static RegistryStore parse(std::string_view text);
    std::string serialize() const;

    // Paths are full paths from a root name; components are separated by "\" and compared without
    // regard to case. HKEY_CLASSES_ROOT is the view of HKEY_LOCAL_MACHINE\Software\Classes.
    RegistryKeyNode* find(std::string_view full_path);
    const RegistryKeyNode* find(std::string_view full_path) const;
    // Creates the key and every missing key above it; returns it and whether it was new.
    std::pair<RegistryKeyNode*, bool> create(std::string_view full_path);
    // Removes one key (not its sub-keys; callers check has_subkeys first).
    bool erase(std::string_view full_path);
    bool has_subkeys(std::string_view full_path) const;
    // Names of the direct sub-keys, in the registry's order (alphabetical without regard to case).
    std::vector<std::string> subkey_names(std::string_view full_path) const;

    bool operator==(const RegistryStore&) const = default;

private:
    std::map<std::string, RegistryKeyNode> m_keys;  // by folded full path
};

// The root's name for a predefined root handle, or nullopt.
std::optional<std::string> root_name(std::uintptr_t root);

// The canonical full path: empty components dropped, HKEY_CLASSES_ROOT mapped to its place under
// HKEY_LOCAL_MACHINE. nullopt when a component is longer than the registry allows (255).
std::optional<std::string> canonical_path(std::string_view root, std::string_view relative);

// $TOLM_REGISTRY_FILE, else $XDG_CONFIG_HOME/tolm/registry.txt, else ~/.config/tolm/registry.txt.
std::string store_file_path();

// Why the store file could not be used the last time it was read, for tools that want to tell the
// user; nullopt when it was fine.
std::optional<std::string> last_store_problem();

// Quoting of names and data in the store file.
std::string quote_bytes(std::string_view bytes);

}  // namespace tolm::platform::registry::detail
