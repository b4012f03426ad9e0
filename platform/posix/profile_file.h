#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The INI file model behind the Linux private-profile functions. The file is kept line by line so
// that a write changes only the line it is about and leaves comments, blank lines and whatever else
// the user put in the file where they were.
namespace tolm::platform::profile::detail {

enum class LineKind { other, section, entry };

struct ProfileLine {
    std::string raw;                    // the line's bytes without its line end
    LineKind kind = LineKind::other;    // other: blank line
    std::string name;                   // section or key name, blanks trimmed, cut at a NUL byte
    std::optional<std::string> value;   // entry value after "=", trimmed; absent for a line without "="
};

class ProfileDocument {
public:
    // Any bytes are accepted: CR LF, LF and a lone CR all end a line, a missing final line end is
    // fine, a leading UTF-8 byte order mark is kept aside and written back.
    static ProfileDocument parse(std::string_view bytes);
    // The lines joined with CR LF, each line ended, as the client's Windows tools write them.
    std::string serialize() const;

    // Index of the first section line of that name (case-insensitive), as Windows reads only the
    // first of repeated sections.
    std::optional<std::size_t> find_section(std::string_view name) const;
    // Index of the first entry of that name within the section that starts at section_index.
    std::optional<std::size_t> find_key(std::size_t section_index, std::string_view name) const;
    // One past the last line of the section that starts at section_index.
    std::size_t section_end(std::size_t section_index) const;

    std::vector<std::string> section_names() const;
    std::vector<std::string> key_names(std::size_t section_index) const;

    void set_value(std::string_view section, std::string_view key, std::string_view value);
    // Return true when something was removed.
    bool delete_key(std::string_view section, std::string_view key);
    bool delete_section(std::string_view section);

    const std::vector<ProfileLine>& lines() const noexcept { return m_lines; }

private:
    std::vector<ProfileLine> m_lines;
    bool m_utf8_bom = false;
};

// Section and key names compare without regard to case, Windows-1252 letters included.
bool names_equal(std::string_view a, std::string_view b) noexcept;

// Blanks as the profile reader counts them: space, tab, vertical tab, form feed.
std::string_view trim_profile_blanks(std::string_view text) noexcept;

// One pair of matching enclosing quotes (" or ') comes off a value when it is read.
std::string_view strip_enclosing_quotes(std::string_view text) noexcept;

// Replaces the file's contents as one step: the new bytes go to a temporary file beside it, are
// flushed to disk and renamed over the old file, so a crash or a full disk never leaves a half
// written file behind. The old file's permissions are kept. Returns false when the file cannot be
// written (missing folder, read-only file or folder, disk full).
bool replace_file_contents(const std::string& path, std::string_view bytes);

// Reads a whole file; nullopt when it does not exist or cannot be read.
std::optional<std::string> read_file_bytes(const std::string& path);

}  // namespace tolm::platform::profile::detail
