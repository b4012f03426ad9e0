#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolm::engine {

// A picture read from a Windows bitmap file, as premultiplied ARGB pixels top row first. Underlays
// are such files. Uncompressed 24- and 32-bit bitmaps and 8-bit paletted ones are read; anything
// else, and any damaged file, raises RuntimeError naming the file.
struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

Bitmap read_bitmap(const std::string& path);
Bitmap decode_bitmap(const std::string& bytes, const std::string& name);

}  // namespace tolm::engine
