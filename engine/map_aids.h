#pragma once

#include "platform/painter.h"

#include <cstdint>
#include <string>

// What radio amateurs read off a map besides the map: a scale bar in miles and kilometres, a grid
// of latitude and longitude with its values at the edges, and the Maidenhead grid-square locator.
// They are painted over the map and never change the view: every line is placed by the same linear
// interpolation between the corners that the client uses for its stations.
namespace tolm::engine {

// The picture the aids are painted into: its corners in degrees and its size in pixels.
struct AidFrame {
    double west = 0, east = 0, south = 0, north = 0;
    std::int32_t width = 0, height = 0;

    double x(double lon) const noexcept { return (lon - west) / (east - west) * width; }
    double y(double lat) const noexcept { return (north - lat) / (north - south) * height; }
};

// The Maidenhead locator of a point with 2, 4, 6 or 8 characters ("CN85pm" for Portland, Oregon).
// Longitudes wrap; latitudes are held to the poles.
std::string maidenhead_locator(double lon, double lat, int characters);

// The length shown by a scale bar: the longest of 1, 2 and 5 times a power of ten (in the unit of
// `unit_metres`) that fits in `most_pixels` at `metres_per_pixel`. Returns the length in units.
double scale_bar_length(double metres_per_pixel, double unit_metres, double most_pixels);

void paint_scale_bar(platform::Painter& painter, const AidFrame& frame, double label_scale, bool monochrome);
void paint_lat_lon_grid(platform::Painter& painter, const AidFrame& frame, double label_scale, bool monochrome);
void paint_locator_grid(platform::Painter& painter, const AidFrame& frame, double label_scale, bool monochrome);

}  // namespace tolm::engine
