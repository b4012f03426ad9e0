#pragma once

#include "engine/geo.h"

#include <cstdint>

namespace tolm::engine {

// Pan directions, laid out like the numeric keypad: 8 is north, 9 north-east, 6 east, 3 south-east,
// 2 south, 1 south-west, 4 west, 7 north-west. The command-line host uses the same codes.
enum class PanDirection : std::int32_t {
    south_west = 1, south = 2, south_east = 3, west = 4, east = 6, north_west = 7, north = 8, north_east = 9
};

// The part of the earth shown in a picture of width x height pixels. The view is linear in longitude
// and latitude: the client places its stations by interpolating linearly between the corners it is
// told, so a position must land exactly where that interpolation puts it. Vertical scale is set by
// the zoom; the horizontal scale is the vertical one times the cosine of the centre latitude, so that
// shapes look right in the middle of the map.
//
// Zoom levels: at level z one pixel spans 360 / (256 * 2^z) degrees of latitude. Level 4 shows the
// contiguous US, 8 a state, 12 a town, 15 a few streets. Levels may be fractional after show_rectangle.
//
// The view stays within the world: it never shows more than 360 degrees of longitude or 180 of
// latitude, nor anything east of 180, west of -180, north of 90 or south of -90. Zooming out stops
// where the whole world fills the picture one way; panning stops at the world's edges; a rectangle
// reaching beyond the world shows the part of it inside. The longitude is not wrapped: the map ends at
// 180 degrees, so the corners the client is told are always those of what is drawn.
//
// Size: at most platform::k_max_paint_side pixels a side and k_max_paint_pixels in all
// (platform/painter.h); a larger map raises error 5.
class MapView {
public:
    static constexpr double k_min_zoom = 0.0;
    static constexpr double k_max_zoom = 21.0;

    MapView();

    void set_size(std::int32_t width, std::int32_t height);
    std::int32_t width() const noexcept { return m_width; }
    std::int32_t height() const noexcept { return m_height; }

    // Shows the rectangle between two opposite corners, fitted to the picture's shape: the centre
    // is kept and the side that is short for the picture grows. Corners must be finite (error 5).
    void show_rectangle(double x1, double y1, double x2, double y2);
    // Raises error 5 for a position that is not on earth (beyond 180 longitude or 90 latitude).
    void centre_on(double lon, double lat);
    void set_zoom(double zoom);
    double zoom() const noexcept;
    void zoom_in();
    void zoom_out();
    // Moves half a picture in the direction; raises RuntimeError 5 for an unknown code.
    void pan(std::int32_t code);

    LonLat centre() const noexcept { return m_centre; }
    // Degrees per pixel, vertically and horizontally.
    double degrees_per_pixel_y() const noexcept { return m_degrees_per_pixel; }
    double degrees_per_pixel_x() const noexcept;
    Extent extent() const noexcept;

    // Pixel position of a point, (0, 0) being the north-west corner of the picture.
    double to_pixel_x(double lon) const noexcept;
    double to_pixel_y(double lat) const noexcept;

private:
    void keep_within_world() noexcept;

    std::int32_t m_width = 640;
    std::int32_t m_height = 480;
    LonLat m_centre{-96.0, 38.0};
    double m_degrees_per_pixel = 0.06;
};

double degrees_per_pixel_at_zoom(double zoom) noexcept;

}  // namespace tolm::engine
