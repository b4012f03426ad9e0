#include "engine/overlay.h"

#include "platform/bounded_read.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tolm::engine {

namespace {

// A colour is a Long (&HBBGGRR); a number no Long can hold leaves the colour as it was.
std::optional<std::int32_t> colour_value(double value) {
    if (!std::isfinite(value) || value < -2147483648.0 || value > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool finite_point(const LonLat& p) { return std::isfinite(p.lon) && std::isfinite(p.lat); }

std::vector<LonLat> parse_points(std::string_view text) {
    std::vector<LonLat> points;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = std::min(text.find(' ', at), text.size());
        const std::string_view pair = text.substr(at, end - at);
        const auto comma = pair.find(',');
        if (comma != std::string_view::npos) {
            const LonLat p{parse_leading_number(pair.substr(0, comma)), parse_leading_number(pair.substr(comma + 1))};
            if (finite_point(p)) points.push_back(p);
        }
        at = end + 1;
    }
    return points;
}

}  // namespace

Overlay Overlay::parse(const std::string& text) {
    Overlay overlay;
    std::int32_t colour = 0x0000FF;
    double width = 2;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos || line.starts_with(";")) continue;
        const std::string key = to_upper_ascii(trim_blanks(line.substr(0, equals)));
        const std::string value = trim_blanks(line.substr(equals + 1));
        if (key == "COLOR" || key == "COLOUR") {
            colour = colour_value(parse_leading_number(value)).value_or(colour);
        } else if (key == "WIDTH") {
            const double asked = parse_leading_number(value);
            if (std::isfinite(asked)) width = std::clamp(asked, 0.5, 20.0);
        } else if (key == "POINT") {
            const auto first = value.find(',');
            const auto second = first == std::string::npos ? std::string::npos : value.find(',', first + 1);
            if (first == std::string::npos) continue;
            const LonLat p{parse_leading_number(std::string_view(value).substr(0, first)),
                           parse_leading_number(std::string_view(value).substr(first + 1))};
            if (!finite_point(p)) continue;
            overlay.m_items.push_back({Kind::point, colour, width, second == std::string::npos ? "" : trim_blanks(value.substr(second + 1)), {p}});
        } else if (key == "LINE" || key == "AREA") {
            auto points = parse_points(value);
            if (points.size() >= (key == "LINE" ? 2u : 3u))
                overlay.m_items.push_back({key == "LINE" ? Kind::line : Kind::area, colour, width, "", std::move(points)});
        }
    }
    return overlay;
}

Overlay Overlay::read(const std::string& path) {
    const auto text = platform::read_file_at_most(path, k_max_file_size, "overlay");
    if (!text) throw RuntimeError(runtime_errors::file_not_found, "tolm.engine", "The overlay " + path + " cannot be opened.");
    return parse(ansi_to_utf8(*text));
}

std::optional<Extent> Overlay::extent() const {
    std::optional<Extent> result;
    for (const auto& item : m_items)
        for (const auto& p : item.points) {
            if (!result) result = Extent{p.lon, p.lon, p.lat, p.lat};
            result->west = std::min(result->west, p.lon);
            result->east = std::max(result->east, p.lon);
            result->south = std::min(result->south, p.lat);
            result->north = std::max(result->north, p.lat);
        }
    return result;
}

void Overlay::paint(platform::Painter& painter, const MapView& view, bool monochrome) const {
    for (const auto& item : m_items) {
        const auto colour = monochrome ? platform::Colour{0xFF000000u} : platform::Colour::from_bgr(static_cast<std::uint32_t>(item.colour));
        if (item.kind == Kind::point) {
            const double x = view.to_pixel_x(item.points[0].lon), y = view.to_pixel_y(item.points[0].lat);
            painter.move_to(x - 3, y - 3);
            painter.line_to(x + 3, y - 3);
            painter.line_to(x + 3, y + 3);
            painter.line_to(x - 3, y + 3);
            painter.close_path();
            painter.fill(colour);
            if (!item.label.empty())
                painter.draw_text(x + 6, y + 4, 0, item.label, {11.0, true, colour, platform::Colour{0xFFFFFFFFu}, 1.5});
            continue;
        }
        painter.move_to(view.to_pixel_x(item.points[0].lon), view.to_pixel_y(item.points[0].lat));
        for (std::size_t i = 1; i < item.points.size(); ++i) painter.line_to(view.to_pixel_x(item.points[i].lon), view.to_pixel_y(item.points[i].lat));
        if (item.kind == Kind::area) {
            painter.close_path();
            painter.fill_and_stroke(platform::Colour{(colour.argb & 0x00FFFFFFu) | 0x50000000u}, {colour, item.width});
        } else {
            painter.stroke({colour, item.width});
        }
    }
}

}  // namespace tolm::engine
