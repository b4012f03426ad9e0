#include "server/favourites.h"

#include "platform/text.h"
#include "server/text_file.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <vector>

namespace tolm::server::favourites {

void add(const std::string& file, const std::string& entry) noexcept {
    try {
        std::ofstream out(file_system_path(file), std::ios::binary | std::ios::app);
        if (!out) return;
        out << utf8_to_ansi(entry) << "\r\n";
    } catch (const std::exception&) {
        // Nothing reaches the client from here.
    }
}

void save(const std::string& file, const StringArray& entries) noexcept {
    try {
        // The client's loop runs from index 0: an array without that element has nothing to save.
        if (!entries.allocated || entries.lower > 0) return;
        const std::size_t skip = static_cast<std::size_t>(-entries.lower);
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
