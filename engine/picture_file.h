#pragma once

#include "engine/bitmap_file.h"

#include <cstdint>
#include <string>
#include <string_view>

// Pictures a user brings as underlays: BMP, GIF (its first frame), JPG and PNG on every platform,
// EMF where the platform can draw metafiles (Windows). Transparent parts are laid on white, as an
// underlay has no background of its own.
namespace tolm::engine {

// Limits that keep one picture within what a 32-bit client process can hold twice over.
inline constexpr std::uint64_t k_max_picture_file_bytes = 256ull * 1024 * 1024;
inline constexpr std::uint64_t k_max_picture_pixels = 50ull * 1000 * 1000;
inline constexpr std::int32_t k_max_picture_side = 32767;

// Decodes a BMP, GIF, JPG or PNG picture held in memory. `name` names it in the error raised for a
// damaged, unknown or too large picture.
Bitmap decode_picture(std::string_view bytes, const std::string& name);

// Reads a picture file; EMF by its extension, everything else by its content.
Bitmap read_picture(const std::string& path);

// The picture as an uncompressed 24-bit Windows bitmap file (the format underlays are kept in).
std::string encode_bitmap(const Bitmap& bitmap);
// Writes it, replacing an existing file only once the whole new one is written.
void write_bitmap(const std::string& path, const Bitmap& bitmap);

}  // namespace tolm::engine
