#include "engine/bitmap_file.h"

#include "platform/runtime_error.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tolm::engine {

namespace {

template <typename T>
T read_at(const std::string& bytes, std::size_t at) {
    T value{};
    std::memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

}  // namespace

Bitmap decode_bitmap(const std::string& bytes, const std::string& name) {
    auto fail = [&](const std::string& what) -> Bitmap {
        throw RuntimeError(runtime_errors::invalid_file_format, "tolm.engine",
                           "The underlay " + name + " is not a bitmap the map can show (" + what + ").");
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return fail("no bitmap signature");
    const auto data_offset = read_at<std::uint32_t>(bytes, 10);
    const auto header_size = read_at<std::uint32_t>(bytes, 14);
    if (header_size < 40 || 14 + std::uint64_t(header_size) > bytes.size()) return fail("bad header");
    const auto width = read_at<std::int32_t>(bytes, 18);
    const auto raw_height = read_at<std::int32_t>(bytes, 22);
    const auto bits = read_at<std::uint16_t>(bytes, 28);
    const auto compression = read_at<std::uint32_t>(bytes, 30);
    auto colours_used = read_at<std::uint32_t>(bytes, 46);
    if (width <= 0 || raw_height == 0 || raw_height == INT32_MIN || width > 32767 || std::abs(raw_height) > 32767)
        return fail("bad size");
    const bool top_down = raw_height < 0;
    const std::int32_t height = top_down ? -raw_height : raw_height;
    if (!(compression == 0 || (compression == 3 && bits == 32))) return fail("compressed bitmaps are not read");
    if (bits != 24 && bits != 32 && bits != 8) return fail(std::to_string(bits) + " bits per pixel are not read");
    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (data_offset > bytes.size() || stride * std::uint64_t(height) > bytes.size() - data_offset)
        return fail("the pixels run past the end of the file");
    std::vector<std::uint32_t> palette;
    if (bits == 8) {
        if (colours_used == 0 || colours_used > 256) colours_used = 256;
        const std::uint64_t palette_at = 14 + std::uint64_t(header_size);
        if (palette_at + colours_used * 4ull > data_offset) return fail("bad palette");
        for (std::uint32_t i = 0; i < colours_used; ++i) palette.push_back(0xFF000000u | (read_at<std::uint32_t>(bytes, palette_at + i * 4) & 0xFFFFFFu));
    }
    Bitmap bitmap{width, height, std::vector<std::uint32_t>(std::size_t(width) * std::size_t(height))};
    for (std::int32_t row = 0; row < height; ++row) {
        const std::size_t source = data_offset + std::size_t(stride) * std::size_t(top_down ? row : height - 1 - row);
        std::uint32_t* target = bitmap.pixels.data() + std::size_t(row) * std::size_t(width);
        for (std::int32_t x = 0; x < width; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + source;
            switch (bits) {
            case 24: target[x] = 0xFF000000u | (std::uint32_t(p[x * 3 + 2]) << 16) | (std::uint32_t(p[x * 3 + 1]) << 8) | p[x * 3]; break;
            case 32: target[x] = 0xFF000000u | (std::uint32_t(p[x * 4 + 2]) << 16) | (std::uint32_t(p[x * 4 + 1]) << 8) | p[x * 4]; break;
            default: target[x] = p[x] < palette.size() ? palette[p[x]] : 0xFF000000u; break;
            }
        }
    }
    return bitmap;
}

Bitmap read_bitmap(const std::string& path) {
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    if (!in) throw RuntimeError(runtime_errors::file_not_found, "tolm.engine", "The underlay " + path + " cannot be opened.");
    std::ostringstream text;
    text << in.rdbuf();
    return decode_bitmap(text.str(), path);
}

}  // namespace tolm::engine
