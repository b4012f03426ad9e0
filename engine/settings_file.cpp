#include "engine/settings_file.h"

#include "platform/atomic_file.h"
#include "platform/bounded_read.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tolm::engine {

namespace {

std::filesystem::path fs_path(const std::string& utf8) { return platform::path_from_utf8(utf8); }

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

SettingsFile SettingsFile::parse(const std::string& ansi_text) {
    SettingsFile file;
    file.m_sections.push_back({});
    std::size_t start = 0;
    while (start < ansi_text.size()) {
        std::size_t end = ansi_text.find('\n', start);
        if (end == std::string::npos) end = ansi_text.size();
        std::string line = ansi_text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = ansi_to_utf8(line);
        const std::string trimmed = trim(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[') {
            const auto close = trimmed.find(']');
            file.m_sections.push_back({trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1)), {}});
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos || trimmed.empty() || trimmed.front() == ';' ||
            trim(line.substr(0, equals)).empty()) {
            // Blank lines, comments and lines without a key name ("=x") are kept as they were, as
            // the system's profile functions keep them, so that a file read and written back is the
            // same file.
            file.m_sections.back().entries.push_back({"", line});
            continue;
        }
        file.m_sections.back().entries.push_back({trim(line.substr(0, equals)), trim(line.substr(equals + 1))});
    }
    return file;
}

SettingsFile SettingsFile::load(const std::string& path) {
    std::error_code error;
    const auto p = fs_path(path);
    if (!std::filesystem::exists(p, error)) return parse({});
    const auto text = std::filesystem::is_directory(p, error) ? std::nullopt : platform::read_file_at_most(path, k_max_file_size, "map settings file");
    if (!text)
        throw RuntimeError(runtime_errors::path_file_access_error, "tolm.engine", "Cannot read the map settings file " + path + ".");
    return parse(*text);
}

SettingsFile::Section* SettingsFile::find_section(const std::string& name) {
    for (auto& s : m_sections)
        if (!s.name.empty() && equals_ignoring_case(s.name, name)) return &s;
    return nullptr;
}

const SettingsFile::Section* SettingsFile::find_section(const std::string& name) const {
    for (const auto& s : m_sections)
        if (!s.name.empty() && equals_ignoring_case(s.name, name)) return &s;
    return nullptr;
}

std::optional<std::string> SettingsFile::get(const std::string& section, const std::string& key) const {
    const Section* s = find_section(section);
    if (!s) return std::nullopt;
    for (const auto& e : s->entries)
        if (!e.key.empty() && equals_ignoring_case(e.key, key)) return e.value;
    return std::nullopt;
}

void SettingsFile::set(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = find_section(section);
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (auto& e : s->entries)
        if (!e.key.empty() && equals_ignoring_case(e.key, key)) {
            e.value = value;
            return;
        }
    s->entries.push_back({key, value});
}

std::string SettingsFile::text() const {
    std::string out;
    for (const auto& s : m_sections) {
        if (s.name.empty() && s.entries.empty()) continue;
        if (!s.name.empty()) {
            out.push_back('[');
            out.append(utf8_to_ansi(s.name));
            out.append("]\r\n");
        }
        for (const auto& e : s.entries) {
            if (!e.key.empty()) {
                out.append(utf8_to_ansi(e.key));
                out.push_back('=');
            }
            out.append(utf8_to_ansi(e.value));
            out.append("\r\n");
        }
    }
    return out;
}

void SettingsFile::save(const std::string& path) const {
    if (const std::error_code error = platform::replace_file_contents(fs_path(path), text()))
        throw RuntimeError(runtime_errors::path_file_access_error, "tolm.engine",
                           "Cannot save the map settings file " + path + ": " + platform::file_error_text(error) + ".");
}

}  // namespace tolm::engine
