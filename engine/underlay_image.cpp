#include "engine/underlay_image.h"

#include <algorithm>
#include <cmath>

namespace tolm::engine {

namespace {

std::uint32_t blend(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t fx, std::uint32_t fy) {
    // fx, fy in 1/256ths; each channel of the premultiplied pixels is interpolated on its own.
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t top = ((a >> shift) & 0xFFu) * (256 - fx) + ((b >> shift) & 0xFFu) * fx;
        const std::uint32_t bottom = ((c >> shift) & 0xFFu) * (256 - fx) + ((d >> shift) & 0xFFu) * fx;
        out |= (((top * (256 - fy) + bottom * fy) + 32768u) >> 16) << shift;
    }
    return out;
}

}  // namespace

UnderlayPiece resample_underlay(const Bitmap& picture, double x1, double y1, double x2, double y2, std::int32_t map_width,
                                std::int32_t map_height) {
    UnderlayPiece piece;
    if (picture.width <= 0 || picture.height <= 0 || !(x2 > x1) || !(y2 > y1) || map_width <= 0 || map_height <= 0)
        return piece;
    const double left = std::max(0.0, std::floor(x1)), top = std::max(0.0, std::floor(y1));
    const double right = std::min(double(map_width), std::ceil(x2)), bottom = std::min(double(map_height), std::ceil(y2));
    if (!(right > left) || !(bottom > top)) return piece;
    piece.left = static_cast<std::int32_t>(left);
    piece.top = static_cast<std::int32_t>(top);
    piece.width = static_cast<std::int32_t>(right - left);
    piece.height = static_cast<std::int32_t>(bottom - top);
    piece.pixels.assign(std::size_t(piece.width) * std::size_t(piece.height), 0);

    // The centre of map pixel (px, py) falls on picture position (u, v); pixel centres of the picture
    // sit at whole numbers plus one half.
    const double su = picture.width / (x2 - x1), sv = picture.height / (y2 - y1);
    const std::int32_t last_x = picture.width - 1, last_y = picture.height - 1;
    std::vector<std::int32_t> column(std::size_t(piece.width) * 2);
    std::vector<std::uint32_t> column_fraction(std::size_t(piece.width));
    std::vector<bool> column_inside(std::size_t(piece.width));
    for (std::int32_t i = 0; i < piece.width; ++i) {
        const double x = piece.left + i + 0.5;
        const double u = (x - x1) * su - 0.5;
        column_inside[std::size_t(i)] = x >= x1 && x < x2;
        const double clamped = std::clamp(u, 0.0, double(last_x));
        const auto u0 = static_cast<std::int32_t>(clamped);
        column[std::size_t(i) * 2] = u0;
        column[std::size_t(i) * 2 + 1] = std::min(u0 + 1, last_x);
        column_fraction[std::size_t(i)] = static_cast<std::uint32_t>((clamped - u0) * 256);
    }
    for (std::int32_t j = 0; j < piece.height; ++j) {
        const double y = piece.top + j + 0.5;
        if (y < y1 || y >= y2) continue;
        const double clamped = std::clamp((y - y1) * sv - 0.5, 0.0, double(last_y));
        const auto v0 = static_cast<std::int32_t>(clamped);
        const std::int32_t v1 = std::min(v0 + 1, last_y);
        const auto fy = static_cast<std::uint32_t>((clamped - v0) * 256);
        const std::uint32_t* row0 = picture.pixels.data() + std::size_t(v0) * std::size_t(picture.width);
        const std::uint32_t* row1 = picture.pixels.data() + std::size_t(v1) * std::size_t(picture.width);
        std::uint32_t* out = piece.pixels.data() + std::size_t(j) * std::size_t(piece.width);
        for (std::int32_t i = 0; i < piece.width; ++i) {
            if (!column_inside[std::size_t(i)]) continue;
            const std::int32_t a = column[std::size_t(i) * 2], b = column[std::size_t(i) * 2 + 1];
            out[i] = blend(row0[a], row0[b], row1[a], row1[b], column_fraction[std::size_t(i)], fy);
        }
    }
    return piece;
}

}  // namespace tolm::engine
