#include "engine/map_aids.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

namespace tolm::engine {

namespace {

using platform::Colour;

constexpr Colour k_white{0xFFFFFFFFu};
constexpr Colour k_black{0xFF000000u};
constexpr double k_metres_per_degree = 111320.0;  // along a meridian, and along the equator
constexpr double k_metres_per_mile = 1609.344;

platform::TextStyle aid_text(double size, Colour colour) {
    platform::TextStyle text;
    text.size = size;
    text.colour = colour;
    text.halo = k_white;
    text.halo_width = 2.0;
    return text;
}

// The spacing of grid lines in degrees: about `target` lines across `span` degrees.
double grid_step(double span, double target) {
    static constexpr std::array<double, 17> k_steps = {30,       20,       10,      5,       2,       1,
                                                       30 / 60., 20 / 60., 10 / 60., 5 / 60., 2 / 60., 1 / 60.,
                                                       30 / 3600., 15 / 3600., 10 / 3600., 5 / 3600., 1 / 3600.};
    for (const double step : k_steps)
        if (span / step >= target) return step;
    return k_steps.back();
}

// "45°30'N", "122°40'W", "45°N": degrees, and minutes or seconds where the grid needs them.
std::string degrees_text(double value, bool latitude, double step) {
    const char hemisphere = latitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
    const long total_seconds = std::lround(std::abs(value) * 3600);
    const long degrees = total_seconds / 3600, minutes = total_seconds / 60 % 60, seconds = total_seconds % 60;
    char text[40];
    if (step >= 1 || (minutes == 0 && seconds == 0))
        std::snprintf(text, sizeof text, "%ld\xC2\xB0%c", degrees, hemisphere);
    else if (step >= 1 / 60. || seconds == 0)
        std::snprintf(text, sizeof text, "%ld\xC2\xB0%02ld'%c", degrees, minutes, hemisphere);
    else
        std::snprintf(text, sizeof text, "%ld\xC2\xB0%02ld'%02ld\"%c", degrees, minutes, seconds, hemisphere);
    return text;
}

}  // namespace

std::string maidenhead_locator(double lon, double lat, int characters) {
    lon = std::fmod(lon + 180.0, 360.0);
    if (lon < 0) lon += 360.0;
    lat = std::clamp(lat + 90.0, 0.0, 179.999999);
    std::string out;
    // Fields of 20 x 10 degrees (A-R), squares of 2 x 1 (0-9), subsquares of 5' x 2.5' (a-x),
    // extended squares of 30" x 15" (0-9).
    double lon_size = 20, lat_size = 10;
    for (int pair = 0; pair * 2 < characters && pair < 4; ++pair) {
        const int divisions = pair == 0 ? 18 : pair % 2 ? 10 : 24;
        if (pair > 0) {
            lon_size /= divisions;
            lat_size /= divisions;
        }
        const int x = std::min(divisions - 1, static_cast<int>(lon / lon_size));
        const int y = std::min(divisions - 1, static_cast<int>(lat / lat_size));
        lon -= x * lon_size;
        lat -= y * lat_size;
        const char base = pair == 0 ? 'A' : pair % 2 ? '0' : 'a';
        out.push_back(static_cast<char>(base + x));
        out.push_back(static_cast<char>(base + y));
    }
    return out;
}

double scale_bar_length(double metres_per_pixel, double unit_metres, double most_pixels) {
    if (!(metres_per_pixel > 0) || !(unit_metres > 0) || !(most_pixels > 0)) return 0;
    const double most_units = most_pixels * metres_per_pixel / unit_metres;
    const double power = std::pow(10.0, std::floor(std::log10(most_units)));
    for (const double multiple : {5.0, 2.0, 1.0})
        if (multiple * power <= most_units) return multiple * power;
    return power;
}

void paint_scale_bar(platform::Painter& painter, const AidFrame& frame, double label_scale, bool monochrome) {
    if (frame.width < 60 || frame.height < 40) return;
    const double centre_lat = (frame.north + frame.south) / 2;
    const double metres_per_pixel =
        (frame.east - frame.west) / frame.width * k_metres_per_degree * std::cos(centre_lat * std::numbers::pi / 180);
    const double most = std::min(150.0, frame.width * 0.3);
    // Below a kilometre and a mile the bars count metres and feet, in round numbers of their own.
    const auto bar = [&](double unit_metres, double small_metres, const char* unit, const char* small_unit) {
        double length = scale_bar_length(metres_per_pixel, unit_metres, most);
        double metres = unit_metres;
        const char* name = unit;
        if (length < 1) {
            length = scale_bar_length(metres_per_pixel, small_metres, most);
            metres = small_metres;
            name = small_unit;
        }
        char text[48];
        std::snprintf(text, sizeof text, "%g %s", length, name);
        return std::pair<double, std::string>{length * metres / metres_per_pixel, text};
    };
    const auto [km_pixels, km_text] = bar(1000.0, 1.0, "km", "m");
    const auto [mile_pixels, mile_text] = bar(k_metres_per_mile, 0.3048, "mi", "ft");
    if (!(km_pixels > 0) || !(mile_pixels > 0)) return;
    const platform::TextStyle text = aid_text(10 * label_scale, k_black);
    const auto km_extent = painter.measure_text(km_text, text), mile_extent = painter.measure_text(mile_text, text);
    const double left = 10, bar_y = frame.height - 10 - km_extent.height - 4;  // the line between the two bars
    const double box_right = left + std::max(km_pixels, mile_pixels) + 8 + std::max(km_extent.width, mile_extent.width) + 6;
    painter.move_to(left - 5, bar_y - km_extent.height - 6);
    painter.line_to(box_right, bar_y - km_extent.height - 6);
    painter.line_to(box_right, frame.height - 5.0);
    painter.line_to(left - 5, frame.height - 5.0);
    painter.close_path();
    painter.fill(monochrome ? k_white : Colour{0xF0FFFFFFu});
    // Kilometres above the line, miles below, each with its end ticks.
    painter.move_to(left, bar_y);
    painter.line_to(left + std::max(km_pixels, mile_pixels), bar_y);
    painter.move_to(left, bar_y - 6);
    painter.line_to(left, bar_y + 6);
    painter.move_to(left + km_pixels, bar_y - 6);
    painter.line_to(left + km_pixels, bar_y);
    painter.move_to(left + mile_pixels, bar_y);
    painter.line_to(left + mile_pixels, bar_y + 6);
    painter.stroke({k_black, 1.5, platform::LineCap::butt});
    painter.draw_text(left + km_pixels + 6, bar_y - 2, 0, km_text, text);
    painter.draw_text(left + mile_pixels + 6, bar_y + 2 + mile_extent.ascent, 0, mile_text, text);
}

void paint_lat_lon_grid(platform::Painter& painter, const AidFrame& frame, double label_scale, bool monochrome) {
    if (frame.width <= 0 || frame.height <= 0) return;
    const double step = grid_step(std::max(frame.east - frame.west, frame.north - frame.south), 4);
    const Colour line = monochrome ? k_black : Colour{0xA0404040u};
    const long first_lon = static_cast<long>(std::ceil(frame.west / step)), last_lon = static_cast<long>(std::floor(frame.east / step));
    const long first_lat = static_cast<long>(std::ceil(frame.south / step)), last_lat = static_cast<long>(std::floor(frame.north / step));
    if (last_lon - first_lon > 200 || last_lat - first_lat > 200) return;
    for (long i = first_lon; i <= last_lon; ++i) {
        const double x = frame.x(i * step);
        painter.move_to(x, 0);
        painter.line_to(x, frame.height);
    }
    for (long i = first_lat; i <= last_lat; ++i) {
        const double y = frame.y(i * step);
        painter.move_to(0, y);
        painter.line_to(frame.width, y);
    }
    painter.stroke({line, 0.8, platform::LineCap::butt});
    // Values along the top edge for the meridians and along the left edge for the parallels.
    const platform::TextStyle text = aid_text(9.5 * label_scale, monochrome ? k_black : Colour{0xFF303030u});
    for (long i = first_lon; i <= last_lon; ++i) {
        const std::string value = degrees_text(i * step, false, step);
        const auto extent = painter.measure_text(value, text);
        const double x = frame.x(i * step) + 3;
        if (x + extent.width < frame.width) painter.draw_text(x, 3 + extent.ascent, 0, value, text);
    }
    for (long i = first_lat; i <= last_lat; ++i) {
        const std::string value = degrees_text(i * step, true, step);
        const auto extent = painter.measure_text(value, text);
        const double y = frame.y(i * step) - 3;
        if (y - extent.height > 20) painter.draw_text(3, y, 0, value, text);  // clear of the top edge's values
    }
}

void paint_locator_grid(platform::Painter& painter, const AidFrame& frame, double label_scale, bool monochrome) {
    if (frame.width <= 0 || frame.height <= 0) return;
    const double pixels_per_degree = frame.width / (frame.east - frame.west);
    // Subsquares (six characters) once they are wide enough to name, else squares (four), else fields.
    int characters = 2;
    double lon_size = 20, lat_size = 10;
    if (pixels_per_degree * 2 >= 45) characters = 4, lon_size = 2, lat_size = 1;
    if (pixels_per_degree * (5 / 60.) >= 60) characters = 6, lon_size = 5 / 60., lat_size = 2.5 / 60.;
    const long first_x = static_cast<long>(std::floor((frame.west + 180) / lon_size));
    const long last_x = static_cast<long>(std::floor((frame.east + 180) / lon_size));
    const long first_y = static_cast<long>(std::floor((frame.south + 90) / lat_size));
    const long last_y = static_cast<long>(std::floor((frame.north + 90) / lat_size));
    if (last_x - first_x > 400 || last_y - first_y > 400) return;
    const Colour line = monochrome ? k_black : Colour{0xC08E2A9Eu};
    for (long i = first_x + 1; i <= last_x; ++i) {
        const double x = frame.x(i * lon_size - 180);
        painter.move_to(x, 0);
        painter.line_to(x, frame.height);
    }
    for (long i = first_y + 1; i <= last_y; ++i) {
        const double y = frame.y(i * lat_size - 90);
        painter.move_to(0, y);
        painter.line_to(frame.width, y);
    }
    painter.stroke({line, 1.2, platform::LineCap::butt});
    // Each square's name in its lower right corner, where the lat/lon values (top and left) are not.
    if ((last_x - first_x + 1) * (last_y - first_y + 1) > 600) return;
    const platform::TextStyle text = aid_text(10 * label_scale, monochrome ? k_black : Colour{0xFF6A1B7Au});
    for (long i = first_x; i <= last_x; ++i) {
        for (long j = first_y; j <= last_y; ++j) {
            const double cell_west = i * lon_size - 180, cell_south = j * lat_size - 90;
            const std::string name = maidenhead_locator(cell_west + lon_size / 2, cell_south + lat_size / 2, characters);
            const auto extent = painter.measure_text(name, text);
            const double right = std::min<double>(frame.x(cell_west + lon_size), frame.width) - 3;
            const double bottom = std::min<double>(frame.y(cell_south), frame.height) - 3;
            const double left = std::max(0.0, frame.x(cell_west));
            const double top = std::max(0.0, frame.y(cell_south + lat_size));
            if (right - extent.width < left + 2 || bottom - extent.height < top + 2) continue;  // no room in view
            painter.draw_text(right - extent.width, bottom - (extent.height - extent.ascent), 0, name, text);
        }
    }
}

}  // namespace tolm::engine
