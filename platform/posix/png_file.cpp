#include "platform/atomic_file.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tolm::platform {

namespace {

// Measured on the contiguous US picture (docs/engine.md): level 3 without filtering writes it in
// about 40% of the time of the default level with adaptive filtering, and in a smaller file.
constexpr int k_png_compression_level = 3;

[[noreturn]] void cannot_write(const std::string& path, const std::string& why) {
    throw RuntimeError(runtime_errors::path_file_access_error, "write_png", "Cannot write the picture " + path + ": " + why);
}

// libpng reports a fault through its error callback, which must not return: the message is kept
// and the encoder jumps back to its setjmp.
struct Encoding {
    std::string bytes;
    std::string error;
};

void append_bytes(png_structp png, png_bytep data, png_size_t length) {
    auto* encoding = static_cast<Encoding*>(png_get_io_ptr(png));
    encoding->bytes.append(reinterpret_cast<const char*>(data), length);
}

void flush_nothing(png_structp) {}

[[noreturn]] void raise_error(png_structp png, png_const_charp message) {
    auto* encoding = static_cast<Encoding*>(png_get_error_ptr(png));
    encoding->error = message ? message : "the PNG encoder failed.";
    png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

bool is_opaque(const RasterSurface& surface) {
    const std::uint32_t* p = surface.pixels();
    const std::size_t count = std::size_t(surface.width()) * std::size_t(surface.height());
    std::uint32_t all = 0xFF000000u;
    for (std::size_t i = 0; i < count; ++i) all &= p[i];
    return all == 0xFF000000u;
}

// One row of premultiplied ARGB as PNG's straight RGB or RGBA, rounded as the painter library's
// own writer rounds, so pictures keep their bytes whichever writer made them.
void convert_row(const std::uint32_t* in, std::int32_t width, bool opaque, std::uint8_t* out) {
    if (opaque) {
        for (std::int32_t x = 0; x < width; ++x, out += 3) {
            const std::uint32_t p = in[x];
            out[0] = std::uint8_t(p >> 16);
            out[1] = std::uint8_t(p >> 8);
            out[2] = std::uint8_t(p);
        }
        return;
    }
    for (std::int32_t x = 0; x < width; ++x, out += 4) {
        const std::uint32_t p = in[x];
        const std::uint32_t a = p >> 24;
        std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (a == 0) {
            r = g = b = 0;
        } else if (a != 255) {
            // A premultiplied component never exceeds its alpha in a sound picture; one that does
            // is clamped rather than wrapped.
            r = std::min<std::uint32_t>(255, (r * 255 + a / 2) / a);
            g = std::min<std::uint32_t>(255, (g * 255 + a / 2) / a);
            b = std::min<std::uint32_t>(255, (b * 255 + a / 2) / a);
        }
        out[0] = std::uint8_t(r);
        out[1] = std::uint8_t(g);
        out[2] = std::uint8_t(b);
        out[3] = std::uint8_t(a);
    }
}

void write_rows(png_structp png, png_infop info, const RasterSurface& surface, bool opaque, std::uint8_t* row) {
    const std::int32_t width = surface.width(), height = surface.height();
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, k_png_compression_level);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (std::int32_t y = 0; y < height; ++y) {
        convert_row(surface.pixels() + std::size_t(y) * std::size_t(width), width, opaque, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
}

// libpng's faults land here by longjmp: this frame holds nothing that a jump could leave behind.
bool write_rows_guarded(png_structp png, png_infop info, const RasterSurface& surface, bool opaque, std::uint8_t* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    write_rows(png, info, surface, opaque, row);
    return true;
}

// The PNG bytes of the pixels. Unfiltered rows and a fast deflate level: a map is large areas of a
// few flat colours, which deflate's string matching packs well without a filter, while adaptive
// filtering costs most of the write and here makes the file larger, not smaller.
std::string encode_png(const RasterSurface& surface, const std::string& path) {
    Encoding encoding;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encoding, raise_error, ignore_warning);
    if (!png) cannot_write(path, "out of memory.");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        cannot_write(path, "out of memory.");
    }
    const bool opaque = is_opaque(surface);
    std::vector<std::uint8_t> row(std::size_t(surface.width()) * (opaque ? 3 : 4));
    png_set_write_fn(png, &encoding, append_bytes, flush_nothing);
    const bool written = write_rows_guarded(png, info, surface, opaque, row.data());
    png_destroy_write_struct(&png, &info);
    if (!written) cannot_write(path, encoding.error);
    return std::move(encoding.bytes);
}

}  // namespace

void write_png(const RasterSurface& surface, const std::string& path) {
    if (surface.width() <= 0 || surface.height() <= 0) cannot_write(path, "the picture is empty.");
    const std::string bytes = encode_png(surface, path);
    if (const std::error_code error = replace_file_contents(path_from_utf8(path), bytes)) cannot_write(path, error.message());
}

}  // namespace tolm::platform
