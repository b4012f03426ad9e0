#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tolm::engine {

// An INI-format file held in memory with its sections and keys in file order. The engine's
// configuration file is shared with the server (which writes the Visible section before the engine
// loads it), so saving keeps every section and key the engine does not know. Section and key names
// compare without regard to case, as the private-profile functions do. Files are ANSI with CR LF.
class SettingsFile {
public:
    // The most of a settings file that is read (1 MB; the engine's own file is a few KB).
    static constexpr std::size_t k_max_file_size = std::size_t(1) << 20;

    // Reads the file; a file that does not exist gives an empty document. Raises RuntimeError when
    // the file exists but cannot be read.
    static SettingsFile load(const std::string& path);
    static SettingsFile parse(const std::string& ansi_text);

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);

    std::string text() const;
    // Writes beside the file and renames over it, so a failed save never loses the old settings.
    void save(const std::string& path) const;

private:
    struct Entry {
        std::string key;    // empty for a line that is not a key (kept as it was)
        std::string value;  // or the whole line
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* find_section(const std::string& name);
    const Section* find_section(const std::string& name) const;

    std::vector<Section> m_sections;  // the first has an empty name: lines before any section
};

}  // namespace tolm::engine
