#include "platform/bounded_read.h"

#include "platform/runtime_error.h"

#include <filesystem>
#include <fstream>

namespace tolm::platform {

std::string size_text(std::size_t bytes) {
    if (bytes >= (std::size_t(1) << 20) && bytes % (std::size_t(1) << 20) == 0) return std::to_string(bytes >> 20) + " MB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KB";
    return std::to_string(bytes) + " bytes";
}

std::optional<std::string> read_file_at_most(const std::string& path, std::size_t limit, const std::string& what) {
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    // In pieces, so that what a file claims to hold is never trusted: /dev/zero claims nothing and
    // never ends.
    constexpr std::size_t k_piece = 64 * 1024;
    while (in) {
        const std::size_t before = text.size();
        const std::size_t room = limit + 1 - before;  // one byte past the limit tells a longer file
        const std::size_t want = std::min(k_piece, room);
        text.resize(before + want);
        in.read(text.data() + before, static_cast<std::streamsize>(want));
        text.resize(before + static_cast<std::size_t>(in.gcount()));
        if (text.size() > limit)
            throw RuntimeError(runtime_errors::out_of_memory, "tolm",
                               "The " + what + " " + path + " is larger than " + size_text(limit) +
                                   ", the most that is read; it was not loaded.");
    }
    return text;
}

}  // namespace tolm::platform
