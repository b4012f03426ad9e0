#pragma once

#include "engine/bitmap_file.h"

#include <cstdint>
#include <vector>

namespace tolm::engine {

// The part of an underlay picture that a map shows, resampled to the map's pixels: the picture
// stretched linearly over the rectangle (x1, y1)-(x2, y2) of the map (pixels, may reach far beyond
// it), filtered bilinearly, and cut to the map's width x height. Only the pixels seen are computed,
// so a picture far larger than the map costs no more than the map's size.
struct UnderlayPiece {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // premultiplied ARGB, rows top to bottom
};

UnderlayPiece resample_underlay(const Bitmap& picture, double x1, double y1, double x2, double y2, std::int32_t map_width,
                                std::int32_t map_height);

}  // namespace tolm::engine
