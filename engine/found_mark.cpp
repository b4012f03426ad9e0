#include "engine/found_mark.h"

#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace tolm::engine {

namespace {

using platform::Colour;

constexpr Colour k_white{0xFFFFFFFFu};
constexpr Colour k_black{0xFF000000u};
constexpr Colour k_edge{0xFF50005Cu};  // the violet darkened, round the pin and the dot

// The pin's round head: its radius and how far its centre stands above the tip.
constexpr double k_head_radius = 7;
constexpr double k_head_height = 16;
constexpr double k_dot_radius = 7;

// The regions are looked for in the most detailed band, which holds every area.
constexpr std::uint32_t k_detail_band = pack::k_band_count - 1;

Extent degrees(const pack::UnitBox& box) {
    return {pack::to_degrees(box.west), pack::to_degrees(box.east), pack::to_degrees(box.south), pack::to_degrees(box.north)};
}

double overlap_share(const Extent& a, const Extent& b) {
    const double w = std::min(a.east, b.east) - std::max(a.west, b.west);
    const double h = std::min(a.north, b.north) - std::max(a.south, b.south);
    if (w <= 0 || h <= 0) return 0;
    const double both = w * h;
    const double either = a.width() * a.height() + b.width() * b.height() - both;
    return either > 0 ? both / either : 0;
}

double squared_distance(const LonLat& a, const LonLat& b) {
    return (a.lon - b.lon) * (a.lon - b.lon) + (a.lat - b.lat) * (a.lat - b.lat);
}

void add_circle(platform::Painter& painter, double cx, double cy, double r) {
    constexpr int k_steps = 24;
    painter.move_to(cx + r, cy);
    for (int k = 1; k < k_steps; ++k) {
        const double a = 2 * std::numbers::pi * k / k_steps;
        painter.line_to(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    painter.close_path();
}

// The pin's outline: from the tip up to where its sides touch the head, round the top and back.
void add_pin_outline(platform::Painter& painter, double x, double y) {
    const double cy = y - k_head_height;
    const double side = std::acos(k_head_radius / k_head_height);  // angle from straight down to a side's touching point
    constexpr int k_steps = 20;
    painter.move_to(x, y);
    for (int k = 0; k <= k_steps; ++k) {
        const double a = side + (2 * std::numbers::pi - 2 * side) * k / k_steps;
        painter.line_to(x + k_head_radius * std::sin(a), cy + k_head_radius * std::cos(a));
    }
    painter.close_path();
}

}  // namespace

std::optional<AreaAttributes> detail::find_region(std::span<const PackView* const> packs, AreaKind kind, std::string_view name,
                                                  std::string_view state_code, const Extent& box) {
    // countyll.dat names an independent city with its kind, as "Baltimore (city)"; the boundary
    // data names it as the county of the same name is named, and the box tells the two apart.
    std::string_view base = name;
    if (const auto open = name.rfind(" ("); open != std::string_view::npos && name.ends_with(")")) base = name.substr(0, open);
    const LonLat centre = box.centre();
    std::optional<AreaAttributes> by_name, by_box;
    double nearest = 0, best_share = 0;
    for (const PackView* pack : packs) {
        const GeometryTable& table = pack->geometry(pack::layer_of(kind), k_detail_band);
        for (std::uint32_t f = 0; f < table.size(); ++f) {
            const AreaAttributes area = pack->area(table.attribute(f));
            if (area.kind != kind) continue;
            if (!state_code.empty() && !equals_ignoring_case(area.state_code, state_code)) continue;
            const Extent found = degrees(table.box(f));
            if (equals_ignoring_case(area.name, name) || equals_ignoring_case(area.name, base)) {
                const double d = squared_distance(found.centre(), centre);
                if (!by_name || d < nearest) {
                    by_name = area;
                    nearest = d;
                }
            } else if (!by_name) {
                const double share = overlap_share(found, box);
                if (share > best_share) {
                    by_box = area;
                    best_share = share;
                }
            }
        }
    }
    if (by_name) return by_name;
    // The searched box is the region's own grown by a fiftieth on each side: a box that covers
    // less than half of it is some other area.
    if (by_box && best_share >= 0.5) return by_box;
    return std::nullopt;
}

bool detail::names_interstate(std::string_view text, std::string_view number) {
    if (number.empty()) return false;
    const std::string wanted = to_upper_ascii(trim_blanks(number));
    for (const auto part : split_text(text, ';')) {
        const std::string upper = to_upper_ascii(trim_blanks(part));
        for (std::string_view prefix : {"INTERSTATE", "IH", "I"}) {
            if (!std::string_view(upper).starts_with(prefix)) continue;
            std::string_view rest = std::string_view(upper).substr(prefix.size());
            // "I-20", "I 20", "I- 20" (TIGER's spelling), "I20"
            while (!rest.empty() && (rest.front() == ' ' || rest.front() == '-')) rest.remove_prefix(1);
            if (rest == wanted) return true;
        }
    }
    return false;
}

std::optional<LonLat> detail::find_line_crossing(std::span<const PackView* const> packs, std::string_view road, double line,
                                                 bool line_is_latitude, const Extent& box) {
    const LonLat centre = box.centre();
    const pack::UnitBox query{pack::to_units(box.west), pack::to_units(box.east), pack::to_units(box.south), pack::to_units(box.north)};
    std::vector<std::uint32_t> hits;
    std::optional<LonLat> best;
    double nearest = 0;
    for (const PackView* pack : packs) {
        const GeometryTable& table = pack->geometry(pack::GeometryLayer::road, k_detail_band);
        hits.clear();
        table.query(query, hits);
        for (const auto f : hits) {
            const RoadAttributes attributes = pack->road(table.attribute(f));
            if (attributes.road_class == RoadClass::ramp) continue;
            if (!names_interstate(attributes.ref, road) && !names_interstate(attributes.name, road)) continue;
            for (std::uint32_t r = 0; r < table.ring_count(f); ++r) {
                const PointRun run = table.ring(f, r);
                for (std::uint32_t i = 0; i + 1 < run.size(); ++i) {
                    const LonLat a{pack::to_degrees(run[i].x), pack::to_degrees(run[i].y)};
                    const LonLat b{pack::to_degrees(run[i + 1].x), pack::to_degrees(run[i + 1].y)};
                    const double from = line_is_latitude ? a.lat : a.lon, to = line_is_latitude ? b.lat : b.lon;
                    if (from == to || (from - line) * (to - line) > 0) continue;
                    const double t = (line - from) / (to - from);
                    const LonLat p = line_is_latitude ? LonLat{a.lon + t * (b.lon - a.lon), line} : LonLat{line, a.lat + t * (b.lat - a.lat)};
                    if (!box.contains(p)) continue;
                    const double d = squared_distance(p, centre);
                    if (!best || d < nearest) {
                        best = p;
                        nearest = d;
                    }
                }
            }
        }
    }
    return best;
}

MarkOnMap locate_found_mark(const FoundMark& mark, std::span<const PackView* const> packs) {
    MarkOnMap out;
    switch (mark.kind) {
    case FoundMarkKind::none: break;
    case FoundMarkKind::pin:
        // A position off the earth (a client's answer may hold anything) is not marked.
        if (std::isfinite(mark.point.lon) && std::isfinite(mark.point.lat) && std::abs(mark.point.lon) <= 180 &&
            std::abs(mark.point.lat) <= 90) {
            out.point_kind = MarkOnMap::Point::pin;
            out.point = mark.point;
        }
        break;
    case FoundMarkKind::state:
    case FoundMarkKind::county: {
        const AreaKind kind = mark.kind == FoundMarkKind::state ? AreaKind::state : AreaKind::county;
        if (const auto area = detail::find_region(packs, kind, mark.name, mark.state_code, mark.box)) {
            out.outlined = true;
            out.area_kind = kind;
            out.area_name = area->name;
            out.area_code = area->code;
            out.area_state_code = area->state_code;
        }
        break;
    }
    case FoundMarkKind::mile_marker:
        if (const auto crossing = detail::find_line_crossing(packs, mark.road, mark.line, mark.line_is_latitude, mark.box)) {
            out.point_kind = MarkOnMap::Point::dot;
            out.point = *crossing;
        }
        break;
    }
    return out;
}

void paint_pin(platform::Painter& painter, double x, double y, bool monochrome) {
    // A halo first, so the pin stands out from dark roads and labels as well as from pale land.
    add_pin_outline(painter, x, y);
    painter.stroke({k_white, 4.0, platform::LineCap::round});
    add_pin_outline(painter, x, y);
    painter.fill_and_stroke(monochrome ? k_black : k_found_mark_colour, {monochrome ? k_black : k_edge, 1.0, platform::LineCap::round});
    add_circle(painter, x, y - k_head_height, 2.6);
    painter.fill(k_white);
}

PixelBounds pin_bounds(double x, double y) noexcept {
    return {x - k_head_radius - 2, y - k_head_height - k_head_radius - 2, x + k_head_radius + 2, y + 2};
}

std::array<PixelBounds, 2> pin_label_boxes(double x, double y) noexcept {
    const double head_bottom = y - k_head_height + k_head_radius;
    return {PixelBounds{x - k_head_radius - 2, y - k_head_height - k_head_radius - 2, x + k_head_radius + 2, head_bottom},
            PixelBounds{x - 4, head_bottom, x + 4, y - 3}};
}

void paint_mark_dot(platform::Painter& painter, double x, double y, bool monochrome) {
    add_circle(painter, x, y, k_dot_radius);
    painter.stroke({k_white, 4.0, platform::LineCap::round});
    add_circle(painter, x, y, k_dot_radius);
    painter.fill_and_stroke(monochrome ? k_black : k_found_mark_colour, {monochrome ? k_black : k_edge, 1.0, platform::LineCap::round});
    add_circle(painter, x, y, 2.4);
    painter.fill(k_white);
}

PixelBounds dot_bounds(double x, double y) noexcept {
    const double r = k_dot_radius + 2;
    return {x - r, y - r, x + r, y + r};
}

}  // namespace tolm::engine
