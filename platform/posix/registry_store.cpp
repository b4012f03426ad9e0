#include "platform/posix/registry_store.h"

#include "platform/posix/profile_file.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

namespace tolm::platform::registry {

namespace detail {

namespace {

constexpr std::string_view k_header = "TOLM-REGISTRY 1";
constexpr std::size_t k_max_component = 255;

struct RootInfo {
    std::uintptr_t handle;
    const char* name;
};
constexpr RootInfo k_roots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},   {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
};
constexpr std::string_view k_classes_home = "HKEY_LOCAL_MACHINE\\Software\\Classes";

std::string fold(std::string_view path) { return to_upper_ascii(path); }


bool is_root_path(std::string_view path) { return path.find('\\') == std::string_view::npos; }

// Reads one quoted field starting at text[pos]; advances pos past it.
std::optional<std::string> unquote(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') return std::nullopt;
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= text.size()) return std::nullopt;
        char e = text[pos];
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && pos + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(text[pos + 2]))) {
            out += static_cast<char>(std::stoi(std::string(text.substr(pos + 1, 2)), nullptr, 16));
            pos += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::mutex g_problem_mutex;
std::optional<std::string> g_last_problem;
std::set<std::string> g_reported;

void note_problem(const std::optional<std::string>& problem) {
    std::lock_guard lock(g_problem_mutex);
    g_last_problem = problem;
    // Tell the user once per process and problem; the store file stays as it is for them to repair.
    if (problem && g_reported.insert(*problem).second)
        std::fprintf(stderr, "TolmServer7: %s\n", problem->c_str());
}

}  // namespace

std::string quote_bytes(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out = "\"";
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += digits[u >> 4];
            out += digits[u & 15];
        }
    }
    out += '"';
    return out;
}

RegistryStore::RegistryStore() {
    for (const auto& root : k_roots) {
        if (root.handle == HKEY_CLASSES_ROOT) continue;
        m_keys.emplace(root.name, RegistryKeyNode{root.name, {}});
    }
    create(k_classes_home);
}

std::optional<std::string> root_name(std::uintptr_t root) {
    for (const auto& r : k_roots)
        if (r.handle == root) return std::string(r.name);
    return std::nullopt;
}

std::optional<std::string> canonical_path(std::string_view root, std::string_view relative) {
    std::string path(root == "HKEY_CLASSES_ROOT" ? k_classes_home : root);
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('\\', start);
        if (end == std::string_view::npos) end = relative.size();
        std::string_view component = relative.substr(start, end - start);
        if (component.size() > k_max_component) return std::nullopt;
        if (!component.empty()) {
            path += '\\';
            path += component;
        }
        start = end + 1;
    }
    return path;
}

RegistryKeyNode* RegistryStore::find(std::string_view full_path) {
    auto it = m_keys.find(fold(full_path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const RegistryKeyNode* RegistryStore::find(std::string_view full_path) const {
    auto it = m_keys.find(fold(full_path));
    return it == m_keys.end() ? nullptr : &it->second;
}

std::size_t RegistryStore::depth(std::string_view full_path) noexcept {
    return static_cast<std::size_t>(std::count(full_path.begin(), full_path.end(), '\\'));
}

std::pair<RegistryKeyNode*, bool> RegistryStore::create(std::string_view full_path) {
    if (auto* node = find(full_path)) return {node, false};
    // The missing keys above, nearest first, found by a loop: a path of 100,000 components once
    // overflowed the stack here when each parent was made by a call of its own.
    std::vector<std::string_view> missing{full_path};
    std::string_view above = full_path;
    while (!is_root_path(above)) {
        above = above.substr(0, above.rfind('\\'));  // the parent, within the same text
        if (find(above)) break;
        missing.push_back(above);
    }
    RegistryKeyNode* node = nullptr;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        node = &m_keys.emplace(fold(*it), RegistryKeyNode{std::string(*it), {}}).first->second;
    return {node, true};
}

bool RegistryStore::erase(std::string_view full_path) {
    if (is_root_path(full_path)) return false;
    return m_keys.erase(fold(full_path)) > 0;
}

bool RegistryStore::has_subkeys(std::string_view full_path) const { return !subkey_names(full_path).empty(); }

std::vector<std::string> RegistryStore::subkey_names(std::string_view full_path) const {
    std::string prefix = fold(full_path) + '\\';
    std::vector<std::string> names;
    // "\" sorts just before "]", so all descendants lie in [prefix, prefix with "]").
    std::string upper = prefix;
    upper.back() = ']';
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first < upper; ++it) {
        std::string_view rest = std::string_view(it->second.path).substr(prefix.size());
        if (rest.find('\\') == std::string_view::npos) names.emplace_back(rest);
    }
    return names;
}

RegistryStore RegistryStore::parse(std::string_view text) {
    RegistryStore store;
    if (text.empty()) return store;
    std::size_t line_number = 0;
    std::size_t pos = 0;
    bool ended = false;
    RegistryKeyNode* current = nullptr;
    std::set<std::string> seen;
    auto damaged = [&](const std::string& why) -> StoreDamaged {
        return StoreDamaged("line " + std::to_string(line_number) + ": " + why);
    };
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            ++line_number;
            throw damaged("the file is cut short (no final line end)");
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++line_number;
        if (ended) throw damaged("text after the end line");
        if (line_number == 1) {
            if (line != k_header) throw damaged("not a registry store file (no \"" + std::string(k_header) + "\")");
            continue;
        }
        if (line == "end") {
            ended = true;
        } else if (line.starts_with("key ")) {
            std::size_t p = 4;
            auto path = unquote(line, p);
            if (!path || p != line.size()) throw damaged("bad key line");
            auto root_end = path->find('\\');
            std::string root = path->substr(0, root_end);
            auto canonical = canonical_path(root, root_end == std::string::npos ? "" : path->substr(root_end + 1));
            if (!canonical) throw damaged("bad key path");
            bool known_root = false;
            for (const auto& r : k_roots) known_root = known_root || (root == r.name && r.handle != HKEY_CLASSES_ROOT);
            if (!known_root || *canonical != *path) throw damaged("bad key path \"" + *path + "\"");
            if (RegistryStore::depth(*path) > k_max_key_depth) throw damaged("a key deeper than " + std::to_string(k_max_key_depth) + " levels");
            if (!seen.insert(fold(*path)).second) throw damaged("key \"" + *path + "\" listed twice");
            current = store.create(*path).first;
            current->path = *path;
        } else if (line.starts_with("value ")) {
            if (!current) throw damaged("value before any key");
            std::size_t p = 6;
            auto name = unquote(line, p);
            if (!name || p >= line.size() || line[p] != ' ') throw damaged("bad value name");
            std::size_t type_start = ++p;
            while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p]))) ++p;
            if (p == type_start || p - type_start > 10 || p >= line.size() || line[p] != ' ')
                throw damaged("bad value type");
            unsigned long long type = std::stoull(std::string(line.substr(type_start, p - type_start)));
            if (type > 0xFFFFFFFFull) throw damaged("bad value type");
            ++p;
            auto data = unquote(line, p);
            if (!data || p != line.size()) throw damaged("bad value data");
            for (const auto& v : current->values)
                if (equals_ignoring_case(v.name, *name)) throw damaged("value \"" + *name + "\" listed twice");
            current->values.push_back(
                RegistryValue{*name, static_cast<std::uint32_t>(type), std::vector<std::uint8_t>(data->begin(), data->end())});
        } else {
            throw damaged("unknown line");
        }
    }
    if (!ended) throw damaged("the file is cut short (no end line)");
    return store;
}

std::string RegistryStore::serialize() const {
    std::string out(k_header);
    out += '\n';
    for (const auto& [folded, node] : m_keys) {
        out += "key ";
        out += quote_bytes(node.path);
        out += '\n';
        for (const auto& v : node.values) {
            out += "value ";
            out += quote_bytes(v.name);
            out += ' ';
            out += std::to_string(v.type);
            out += ' ';
            out += quote_bytes(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
            out += '\n';
        }
    }
    out += "end\n";
    return out;
}

std::string store_file_path() {
    if (const char* file = std::getenv("TOLM_REGISTRY_FILE"); file && *file) return file;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/tolm/registry.txt";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/tolm/registry.txt";
}

std::optional<std::string> last_store_problem() {
    std::lock_guard lock(g_problem_mutex);
    return g_last_problem;
}

}  // namespace detail

namespace {

using detail::RegistryKeyNode;
using detail::RegistryStore;

// Open handles point at a key's path; every call looks the key up again, so a key deleted by this
// or another process shows as deleted through the handles still open on it.
struct OpenKey {
    std::string path;
    std::uint32_t access = 0;
};

std::mutex g_handles_mutex;
std::map<Key, OpenKey> g_handles;
Key g_next_handle = 0x100;

struct Resolved {
    Status status = ERROR_SUCCESS;
    std::string path;
};

Resolved resolve(Key key, std::uint32_t needed_access) {
    if (auto name = detail::root_name(key)) return {ERROR_SUCCESS, *detail::canonical_path(*name, "")};
    std::lock_guard lock(g_handles_mutex);
    auto it = g_handles.find(key);
    if (it == g_handles.end()) return {ERROR_INVALID_HANDLE, {}};
    if ((it->second.access & needed_access) != needed_access) return {ERROR_ACCESS_DENIED, {}};
    return {ERROR_SUCCESS, it->second.path};
}

Resolved resolve_below(Key key, const std::string& relative) {
    Resolved base = resolve(key, 0);
    if (base.status != ERROR_SUCCESS) return base;
    auto root_end = base.path.find('\\');
    std::string root = base.path.substr(0, root_end);
    std::string rest = root_end == std::string::npos ? std::string() : base.path.substr(root_end + 1);
    auto full = detail::canonical_path(root, rest.empty() ? relative : rest + "\\" + relative);
    if (!full) return {ERROR_INVALID_PARAMETER, {}};
    return {ERROR_SUCCESS, *full};
}

Key new_handle(const std::string& path, std::uint32_t access) {
    std::lock_guard lock(g_handles_mutex);
    Key handle = g_next_handle;
    g_next_handle += 4;
    g_handles[handle] = OpenKey{path, access};
    return handle;
}

Status load(RegistryStore& out) {
    auto bytes = profile::detail::read_file_bytes(detail::store_file_path());
    if (!bytes) {
        std::error_code ec;
        if (std::filesystem::exists(detail::store_file_path(), ec) || ec) {
            detail::note_problem("registry store " + detail::store_file_path() + " cannot be read");
            return ERROR_BADDB;
        }
        out = RegistryStore();
        detail::note_problem(std::nullopt);
        return ERROR_SUCCESS;
    }
    try {
        out = RegistryStore::parse(*bytes);
    } catch (const detail::StoreDamaged& damaged) {
        detail::note_problem("registry store " + detail::store_file_path() + " is damaged at " + damaged.what() +
                             "; it is left untouched");
        return ERROR_BADDB;
    }
    detail::note_problem(std::nullopt);
    return ERROR_SUCCESS;
}

// Runs one change of the store under the lock that serialises writers of all processes: the file
// is read again under the lock so that a change another process made meanwhile is kept, and the
// result replaces the file in one rename. change returns its status and whether it changed anything.
template <typename Change>
Status modify(Change change) {
    std::string path = detail::store_file_path();
    std::error_code ec;
    auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    int lock_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_fd < 0) return ERROR_ACCESS_DENIED;
    while (::flock(lock_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock_fd);
            return ERROR_ACCESS_DENIED;
        }
    }
    RegistryStore store;
    Status status = load(store);
    if (status == ERROR_SUCCESS) {
        auto [result, changed] = change(store);
        status = result;
        if (status == ERROR_SUCCESS && changed &&
            !profile::detail::replace_file_contents(path, store.serialize()))
            status = ERROR_ACCESS_DENIED;
    }
    ::flock(lock_fd, LOCK_UN);
    ::close(lock_fd);
    return status;
}

struct ChangeResult {
    Status status;
    bool changed;
};

RegistryKeyNode* node_or_status(RegistryStore& store, const std::string& path, Status& status) {
    auto* node = store.find(path);
    if (!node) status = ERROR_KEY_DELETED;
    return node;
}

detail::RegistryValue* find_value(RegistryKeyNode& node, const std::string& name) {
    for (auto& v : node.values)
        if (equals_ignoring_case(v.name, name)) return &v;
    return nullptr;
}

}  // namespace

Status open_key(Key root, const std::string& path, std::uint32_t access, Key& out) {
    out = 0;
    Resolved base = resolve(root, 0);
    if (base.status != ERROR_SUCCESS) return base.status;
    Resolved full = resolve_below(root, path);
    if (full.status != ERROR_SUCCESS) return full.status;
    RegistryStore store;
    if (Status s = load(store); s != ERROR_SUCCESS) return s;
    if (!store.find(full.path)) return store.find(base.path) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    out = new_handle(full.path, access);
    return ERROR_SUCCESS;
}

Status create_key(Key root, const std::string& path, std::uint32_t access, Key& out) {
    out = 0;
    Resolved base = resolve(root, 0);
    if (base.status != ERROR_SUCCESS) return base.status;
    Resolved full = resolve_below(root, path);
    if (full.status != ERROR_SUCCESS) return full.status;
    if (RegistryStore::depth(full.path) > detail::k_max_key_depth) return ERROR_INVALID_PARAMETER;
    Status status = modify([&](RegistryStore& store) -> ChangeResult {
        if (!store.find(base.path)) return {ERROR_KEY_DELETED, false};
        auto [node, created] = store.create(full.path);
        return {ERROR_SUCCESS, created};
    });
    if (status == ERROR_SUCCESS) out = new_handle(full.path, access);
    return status;
}

Status close_key(Key key) {
    if (detail::root_name(key)) return ERROR_SUCCESS;
    std::lock_guard lock(g_handles_mutex);
    return g_handles.erase(key) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

Status delete_key(Key root, const std::string& path) {
    Resolved base = resolve(root, 0);
    if (base.status != ERROR_SUCCESS) return base.status;
    Resolved full = resolve_below(root, path);
    if (full.status != ERROR_SUCCESS) return full.status;
    if (full.path.find('\\') == std::string::npos || equals_ignoring_case(full.path, detail::k_classes_home))
        return ERROR_ACCESS_DENIED;  // the roots themselves stay
    return modify([&](RegistryStore& store) -> ChangeResult {
        if (!store.find(base.path)) return {ERROR_KEY_DELETED, false};
        if (!store.find(full.path)) return {ERROR_FILE_NOT_FOUND, false};
        // As on Windows, a key with sub-keys can't be deleted in one call.
        if (store.has_subkeys(full.path)) return {ERROR_ACCESS_DENIED, false};
        store.erase(full.path);
        return {ERROR_SUCCESS, true};
    });
}

Status query_value(Key key, const std::string& name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    Resolved handle = resolve(key, KEY_QUERY_VALUE);
    if (handle.status != ERROR_SUCCESS) return handle.status;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    RegistryStore store;
    if (Status s = load(store); s != ERROR_SUCCESS) return s;
    Status status = ERROR_SUCCESS;
    auto* node = node_or_status(store, handle.path, status);
    if (!node) return status;
    auto* value = find_value(*node, name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    auto stored = static_cast<std::uint32_t>(value->data.size());
    if (data && *size < stored) {
        *size = stored;
        return ERROR_MORE_DATA;
    }
    if (data && stored > 0) std::memcpy(data, value->data.data(), stored);
    if (size) *size = stored;
    return ERROR_SUCCESS;
}

Status set_value(Key key, const std::string& name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    Resolved handle = resolve(key, KEY_SET_VALUE);
    if (handle.status != ERROR_SUCCESS) return handle.status;
    if (!data && size > 0) return ERROR_INVALID_PARAMETER;
    std::vector<std::uint8_t> bytes(data, data + size);
    return modify([&](RegistryStore& store) -> ChangeResult {
        Status status = ERROR_SUCCESS;
        auto* node = node_or_status(store, handle.path, status);
        if (!node) return {status, false};
        if (auto* value = find_value(*node, name)) {
            value->type = type;
            value->data = bytes;
        } else {
            node->values.push_back(detail::RegistryValue{name, type, bytes});
        }
        return {ERROR_SUCCESS, true};
    });
}

Status delete_value(Key key, const std::string& name) {
    Resolved handle = resolve(key, KEY_SET_VALUE);
    if (handle.status != ERROR_SUCCESS) return handle.status;
    return modify([&](RegistryStore& store) -> ChangeResult {
        Status status = ERROR_SUCCESS;
        auto* node = node_or_status(store, handle.path, status);
        if (!node) return {status, false};
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (equals_ignoring_case(it->name, name)) {
                node->values.erase(it);
                return {ERROR_SUCCESS, true};
            }
        }
        return {ERROR_FILE_NOT_FOUND, false};
    });
}

Status enum_key(Key key, std::uint32_t index, char* name, std::uint32_t name_size) {
    Resolved handle = resolve(key, KEY_ENUMERATE_SUB_KEYS);
    if (handle.status != ERROR_SUCCESS) return handle.status;
    RegistryStore store;
    if (Status s = load(store); s != ERROR_SUCCESS) return s;
    if (!store.find(handle.path)) return ERROR_KEY_DELETED;
    auto names = store.subkey_names(handle.path);
    if (index >= names.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& found = names[index];
    if (!name || found.size() + 1 > name_size) return ERROR_MORE_DATA;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return ERROR_SUCCESS;
}

Status enum_value(Key key, std::uint32_t index, char* name, std::uint32_t* name_size) {
    Resolved handle = resolve(key, KEY_QUERY_VALUE);
    if (handle.status != ERROR_SUCCESS) return handle.status;
    if (!name || !name_size) return ERROR_INVALID_PARAMETER;
    RegistryStore store;
    if (Status s = load(store); s != ERROR_SUCCESS) return s;
    const auto* node = store.find(handle.path);
    if (!node) return ERROR_KEY_DELETED;
    if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& found = node->values[index].name;
    if (found.size() + 1 > *name_size) return ERROR_MORE_DATA;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *name_size = static_cast<std::uint32_t>(found.size());
    return ERROR_SUCCESS;
}

Status query_longest_value_name(Key key, std::uint32_t& length) {
    Resolved handle = resolve(key, KEY_QUERY_VALUE);
    if (handle.status != ERROR_SUCCESS) return handle.status;
    RegistryStore store;
    if (Status s = load(store); s != ERROR_SUCCESS) return s;
    const auto* node = store.find(handle.path);
    if (!node) return ERROR_KEY_DELETED;
    length = 0;
    for (const auto& v : node->values) length = std::max(length, static_cast<std::uint32_t>(v.name.size()));
    return ERROR_SUCCESS;
}

}  // namespace tolm::platform::registry
