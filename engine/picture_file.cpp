#include "engine/picture_file.h"

#include "platform/atomic_file.h"
#include "platform/metafile.h"
#include "platform/native_picture.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

// The decoder is a third-party single header, compiled in stb_image_decoder.cpp with the same
// settings (engine/stb_image_settings.h).
#include "engine/stb_image_settings.h"

namespace tolm::engine {

namespace {

constexpr const char* k_source = "tolm.picture";

[[noreturn]] void fail(const std::string& name, const std::string& why) {
    throw RuntimeError(321, k_source, "The picture " + name + " cannot be read (" + why + ").");
}

struct StbFree {
    void operator()(stbi_uc* pixels) const noexcept { stbi_image_free(pixels); }
};

void check_size(std::uint64_t width, std::uint64_t height, const std::string& name) {
    if (width == 0 || height == 0) fail(name, "it has no pixels");
    if (width > std::uint64_t(k_max_picture_side) || height > std::uint64_t(k_max_picture_side) ||
        width * height > k_max_picture_pixels)
        fail(name, std::to_string(width) + " x " + std::to_string(height) +
                       " pixels is too large; at most 50 million pixels and 32767 a side are read");
}

// The PNG decoder makes room for a chunk's image data as its length claims, before it reads the
// data: a damaged length asks for up to 2 GB, whatever the file's size. A PNG whose chunks do not
// each end within the file is refused first; the chunks are walked up to IEND.
bool png_chunks_fit(std::string_view bytes) {
    static constexpr std::string_view k_signature("\x89PNG\r\n\x1a\n", 8);
    if (!bytes.starts_with(k_signature)) return true;
    const auto at = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    for (std::size_t p = k_signature.size(); p + 8 <= bytes.size();) {
        const std::uint64_t length = (at(p) << 24) | (at(p + 1) << 16) | (at(p + 2) << 8) | at(p + 3);
        if (length + 12 > bytes.size() - p) return false;
        if (bytes.substr(p + 4, 4) == "IEND") return true;
        p += static_cast<std::size_t>(length) + 12;
    }
    return true;
}

// The JPEG decoder writes each Huffman table's code lengths into a fixed array of 257 without
// checking that the table's 16 counts add up to at most 256 values: a damaged file makes it write
// past the array. Its markers are walked here as the decoder walks them (segments by their length,
// anything else byte by byte up to the next 0xFF), and a file with such a table is refused first.
bool jpeg_tables_fit(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    // The decoder takes any number of fill bytes before a marker, the first one included.
    std::size_t p = 0;
    while (at(p) == 0xFF && p < bytes.size()) ++p;
    if (p == 0 || at(p) != 0xD8) return true;
    ++p;
    while (p < bytes.size()) {
        if (at(p) != 0xFF) {
            ++p;
            continue;
        }
        while (at(p) == 0xFF && p < bytes.size()) ++p;
        const unsigned marker = at(p++);
        // Stuffed bytes, restart markers, start and end of image stand alone.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) continue;
        const std::size_t length = (at(p) << 8) | at(p + 1);
        if (marker != 0xC4) {
            p += std::max<std::size_t>(length, 2);
            continue;
        }
        std::size_t q = p + 2;
        std::ptrdiff_t left = static_cast<std::ptrdiff_t>(length) - 2;
        while (left > 0 && q < bytes.size()) {
            std::size_t values = 0;
            for (std::size_t i = 1; i <= 16; ++i) values += at(q + i);
            if (values > 256) return false;
            q += 17 + values;
            left -= static_cast<std::ptrdiff_t>(17 + values);
        }
        p = q;
    }
    return true;
}

bool is_gif(std::string_view bytes) {
    return bytes.size() >= 6 && (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a"));
}

// Walks a GIF's blocks up to the end of its first picture's data: a decoder is given only a file
// whose first frame is whole, as a cut file otherwise decodes to a picture with a part missing (or,
// in a decoder we do not control, worse). Returns what is wrong, or nothing.
std::optional<std::string> gif_first_frame_fault(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    const auto colour_table = [](unsigned flags) { return (flags & 0x80u) ? std::size_t(3) << ((flags & 7u) + 1) : 0; };
    // Data sub-blocks, each led by its length, up to an empty one; false when the file ends first.
    const auto sub_blocks = [&](std::size_t& p) {
        while (p < bytes.size()) {
            const std::size_t length = at(p++);
            if (length == 0) return true;
            p += length;
        }
        return false;
    };
    if (bytes.size() < 13) return "damaged: the GIF ends inside its header";
    std::size_t p = 13 + colour_table(at(10));
    for (;;) {
        if (p >= bytes.size()) return "damaged: the GIF ends before its first picture";
        const unsigned block = at(p++);
        if (block == 0x21) {
            ++p;  // the extension's label
            if (!sub_blocks(p)) return "damaged: the GIF ends inside an extension";
        } else if (block == 0x2C) {
            const unsigned flags = at(p + 8);
            p += 9 + colour_table(flags) + 1;  // the descriptor, its colours, the code size
            if (p > bytes.size() || !sub_blocks(p)) return "damaged: the GIF ends inside its first picture";
            return std::nullopt;
        } else if (block == 0x3B) {
            return "the GIF holds no picture";
        } else {
            return "damaged: the GIF has a block of unknown kind before its first picture";
        }
    }
}

// A GIF is refused for its size and for a first frame that is not whole before any decoder sees it,
// whichever decodes it.
void check_gif(std::string_view bytes, const std::string& name) {
    const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) : 0u; };
    if (bytes.size() >= 10) check_size(at(6) | (at(7) << 8), at(8) | (at(9) << 8), name);
    if (const auto fault = gif_first_frame_fault(bytes)) fail(name, *fault);
}

// GIF through the platform's own imaging, with the same limits as every picture.
Bitmap decode_native_gif(std::string_view bytes, const std::string& name) {
    auto picture = platform::decode_native_gif(bytes, name);
    check_size(static_cast<std::uint64_t>(picture.width), static_cast<std::uint64_t>(picture.height), name);
    return Bitmap{picture.width, picture.height, std::move(picture.pixels)};
}

std::string read_file(const std::string& path) {
    const auto where = platform::path_from_utf8(path);
    std::error_code error;
    const auto size = std::filesystem::file_size(where, error);
    if (error) throw RuntimeError(runtime_errors::file_not_found, k_source, "The picture " + path + " cannot be opened.");
    if (size > k_max_picture_file_bytes)
        fail(path, "the file is larger than 256 MB");
    std::ifstream in(where, std::ios::binary);
    if (!in) throw RuntimeError(runtime_errors::file_not_found, k_source, "The picture " + path + " cannot be opened.");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) fail(path, "the file could not be read to its end");
    return bytes;
}

}  // namespace

Bitmap decode_picture(std::string_view bytes, const std::string& name) {
    if (bytes.empty()) fail(name, "the file is empty");
    if (bytes.size() > k_max_picture_file_bytes) fail(name, "the file is larger than 256 MB");
    if (is_gif(bytes)) {
        check_gif(bytes, name);
        if (platform::native_gif_supported()) return decode_native_gif(bytes, name);
    }
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!jpeg_tables_fit(bytes)) fail(name, "damaged: a Huffman table of the JPEG holds more than 256 codes");
    if (!png_chunks_fit(bytes)) fail(name, "damaged: a chunk of the PNG runs past the end of the file");
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        fail(name, std::string("not a BMP, GIF, JPG or PNG picture, or damaged: ") + stbi_failure_reason());
    check_size(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), name);
    std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(data, length, &width, &height, &channels, 4));
    if (!rgba) fail(name, std::string("damaged or not enough memory: ") + stbi_failure_reason());
    check_size(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), name);
    Bitmap bitmap{width, height, {}};
    bitmap.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const stbi_uc* p = rgba.get();
    for (auto& pixel : bitmap.pixels) {
        // Laid on white: c * a + 255 * (1 - a), opaque.
        const std::uint32_t a = p[3];
        const auto on_white = [a](std::uint32_t c) { return (c * a + 255u * (255u - a) + 127u) / 255u; };
        pixel = 0xFF000000u | (on_white(p[0]) << 16) | (on_white(p[1]) << 8) | on_white(p[2]);
        p += 4;
    }
    return bitmap;
}

Bitmap read_picture(const std::string& path) {
    if (path.size() >= 4 && equals_ignoring_case(std::string_view(path).substr(path.size() - 4), ".EMF")) {
        auto picture = platform::render_metafile(path);
        return Bitmap{picture.width, picture.height, std::move(picture.pixels)};
    }
    return decode_picture(read_file(path), path);
}

std::string encode_bitmap(const Bitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
        throw RuntimeError(runtime_errors::invalid_procedure_call, k_source, "A picture without pixels cannot be saved as a bitmap.");
    const std::uint64_t stride = (std::uint64_t(bitmap.width) * 3 + 3) / 4 * 4;
    const std::uint64_t image_size = stride * std::uint64_t(bitmap.height);
    if (image_size + 54 > 0xFFFFFFFFull)
        throw RuntimeError(runtime_errors::overflow, k_source, "The picture is too large for a bitmap file.");
    std::string out(static_cast<std::size_t>(54 + image_size), '\0');
    auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(out.data() + at, &v, 2); };
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(out.data() + at, &v, 4); };
    // File header, then BITMAPINFOHEADER; the values are little-endian as the file format wants, and
    // so is every machine this runs on (static_assert below).
    static_assert(std::endian::native == std::endian::little);
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(54 + image_size));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(bitmap.width));
    put32(22, static_cast<std::uint32_t>(bitmap.height));  // positive: rows bottom up
    put16(26, 1);
    put16(28, 24);
    put32(30, 0);
    put32(34, static_cast<std::uint32_t>(image_size));
    put32(38, 3780);  // 96 dpi
    put32(42, 3780);
    for (std::int32_t row = 0; row < bitmap.height; ++row) {
        const std::uint32_t* source = bitmap.pixels.data() + std::size_t(bitmap.height - 1 - row) * std::size_t(bitmap.width);
        auto* target = reinterpret_cast<unsigned char*>(out.data()) + 54 + std::size_t(row) * std::size_t(stride);
        for (std::int32_t x = 0; x < bitmap.width; ++x) {
            // Opaque pixels are the same premultiplied or not; any alpha left is laid on white.
            const std::uint32_t px = source[x], a = px >> 24;
            const auto channel = [&](int shift) {
                return static_cast<unsigned char>(std::min<std::uint32_t>(255u, ((px >> shift) & 0xFFu) + (255u - a)));
            };
            target[x * 3] = channel(0);
            target[x * 3 + 1] = channel(8);
            target[x * 3 + 2] = channel(16);
        }
    }
    return out;
}

void write_bitmap(const std::string& path, const Bitmap& bitmap) {
    const std::string bytes = encode_bitmap(bitmap);
    if (const auto error = platform::replace_file_contents(platform::path_from_utf8(path), bytes))
        throw RuntimeError(runtime_errors::path_file_access_error, k_source,
                           "The bitmap " + path + " cannot be written (" + platform::file_error_text(error) + ").");
}

}  // namespace tolm::engine
