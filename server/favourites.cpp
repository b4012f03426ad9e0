#include "server/favourites.h"

#include "platform/atomic_file.h"
#include "platform/text.h"
#include "server/text_file.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

namespace tolm::server::favourites {

void add(const std::string& file, const std::string& entry) noexcept {
    try {
        // All or nothing: the file with the entry added is written beside the old one and renamed
        // over it. Appending in place on a full disk left a cut entry that the next add was glued to.
        std::string bytes;
        {
            std::ifstream in(file_system_path(file), std::ios::binary);
            if (in) {
                bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                if (in.bad()) return;
            }
        }
        // A last line without its end (cut by an earlier writer) stays a line of its own.
        if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
        bytes += utf8_to_ansi(entry) + "\r\n";
        (void)platform::replace_file_contents(file_system_path(file), bytes);
    } catch (const std::exception&) {
        // Nothing reaches the client from here.
    }
}

void save(const std::string& file, const StringArray& entries) noexcept {
    try {
        // The client's loop runs from index 0: an array without that element has nothing to save.
        if (!entries.allocated || entries.lower > 0) return;
        const auto skip = static_cast<std::size_t>(-static_cast<std::int64_t>(entries.lower));  // INT_MIN too
        std::vector<std::string> lines;
        if (skip < entries.items.size()) {
            const std::size_t count = std::min(entries.items.size() - skip, k_max_entries);
            lines.assign(entries.items.begin() + static_cast<std::ptrdiff_t>(skip),
                         entries.items.begin() + static_cast<std::ptrdiff_t>(skip + count));
        }
        write_text_lines_replacing(file, lines);
    } catch (const std::exception&) {
        // The old list stays as it was.
    }
}

void load(const std::string& file, StringArray& entries) noexcept {
    try {
        std::vector<std::string> lines = read_text_lines(file);
        if (lines.empty()) return;
        if (lines.size() > k_max_entries) lines.resize(k_max_entries);
        entries = StringArray(0, std::move(lines));
    } catch (const std::exception&) {
        // A missing or unreadable file leaves the client's array as it passed it.
    }
}

}  // namespace tolm::server::favourites
