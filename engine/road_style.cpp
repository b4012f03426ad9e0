#include "engine/road_style.h"

#include <algorithm>
#include <cmath>

namespace tolm::engine {

namespace {

using platform::Colour;

constexpr Colour k_white{0xFFFFFFFFu};
constexpr Colour k_black{0xFF000000u};

// Fill widths at zoom 15 and the thinnest each rank gets, so that the order of importance reads
// from the widths alone (as it must in black and white).
constexpr std::array<double, k_road_rank_count> k_width = {10.0, 9.2, 8.5, 7.0, 6.0, 5.0, 3.2, 2.2, 4.5};
constexpr std::array<double, k_road_rank_count> k_min_width = {1.4, 1.25, 1.1, 0.95, 0.8, 0.6, 0.5, 0.45, 0.6};

Colour mix(Colour a, Colour b, double t) {
    const auto channel = [&](int shift) {
        const double x = ((a.argb >> shift) & 0xFFu) * (1 - t) + ((b.argb >> shift) & 0xFFu) * t;
        return static_cast<std::uint32_t>(std::lround(x)) << shift;
    };
    return {0xFF000000u | channel(16) | channel(8) | channel(0)};
}

Colour item(const MapStyle& style, std::int32_t number) {
    return Colour::from_bgr(static_cast<std::uint32_t>(style.colour(number)));
}

}  // namespace

RoadRank road_rank(RoadClass road_class, RoadKind kind) noexcept {
    if (road_class == RoadClass::ramp) return RoadRank::link;
    switch (kind) {
    case RoadKind::motorway: return RoadRank::motorway;
    case RoadKind::trunk: return RoadRank::trunk;
    case RoadKind::primary: return RoadRank::primary;
    case RoadKind::secondary: return RoadRank::secondary;
    case RoadKind::tertiary: return RoadRank::tertiary;
    case RoadKind::minor: return RoadRank::minor;
    case RoadKind::service: return RoadRank::service;
    case RoadKind::track: return RoadRank::track;
    case RoadKind::unknown: break;
    }
    switch (road_class) {
    case RoadClass::interstate: return RoadRank::motorway;
    case RoadClass::highway: return RoadRank::primary;
    case RoadClass::major: return RoadRank::secondary;
    case RoadClass::local: return RoadRank::minor;
    case RoadClass::ramp: break;
    }
    return RoadRank::link;
}

RoadClass colour_class(RoadRank rank) noexcept {
    switch (rank) {
    case RoadRank::motorway: return RoadClass::interstate;
    case RoadRank::trunk:
    case RoadRank::primary: return RoadClass::highway;
    case RoadRank::secondary:
    case RoadRank::tertiary: return RoadClass::major;
    case RoadRank::minor:
    case RoadRank::service:
    case RoadRank::track: return RoadClass::local;
    case RoadRank::link: break;
    }
    return RoadClass::ramp;
}

double road_width(RoadRank rank, double zoom) noexcept {
    const auto r = static_cast<std::size_t>(rank);
    return std::max(k_min_width[r], k_width[r] * std::exp2((std::min(zoom, 18.0) - 15.0) * 0.7));
}

double road_least_zoom(RoadRank rank) noexcept {
    return rank == RoadRank::service || rank == RoadRank::track ? 13.5 : 0.0;
}

RoadLook road_look(RoadRank rank, RoadLevel level, double zoom, const MapStyle& style, bool monochrome) noexcept {
    RoadLook look;
    look.width = road_width(rank, zoom);
    look.cased = look.width >= 2.5 && rank != RoadRank::track;
    // The most important roads carry a heavier edge, so they stand out in black and white too.
    const double edge = rank <= RoadRank::trunk ? 1.0 : 0.8;
    look.casing_width = look.width + 2 * edge + (level == RoadLevel::bridge ? 1.4 : 0.0);

    static constexpr std::int32_t k_class_item[] = {ids::COLOUR_INTERSTATE, ids::COLOUR_HIGHWAY, ids::COLOUR_MAJOR_ROAD,
                                                    ids::COLOUR_LOCAL_ROAD, ids::COLOUR_RAMP};
    const Colour casing = item(style, ids::COLOUR_ROAD_CASING);
    if (monochrome) {
        look.casing = k_black;
        look.fill = look.cased ? k_white : k_black;
        if (rank == RoadRank::motorway && look.cased) {
            look.centre_width = std::max(0.8, look.width * 0.18);
            look.centre = k_black;
        }
    } else {
        Colour fill = item(style, k_class_item[static_cast<std::size_t>(colour_class(rank))]);
        // Ranks that share a colour item step toward white below the first of them.
        if (rank == RoadRank::primary) fill = mix(fill, k_white, 0.3);
        if (rank == RoadRank::tertiary) fill = mix(fill, k_white, 0.55);
        if (rank == RoadRank::track) fill = mix(casing, k_black, 0.2);
        look.fill = fill;
        look.casing = level == RoadLevel::bridge ? mix(casing, k_black, 0.55) : casing;
    }
    if (rank == RoadRank::track) look.fill_dash = {std::max(3.0, look.width * 2.5), std::max(2.0, look.width * 1.5)};
    if (rank == RoadRank::service && monochrome && !look.cased) look.fill_dash = {6.0, 2.0};
    if (level == RoadLevel::tunnel) {
        look.casing_dash = {std::max(4.0, look.width), std::max(3.0, look.width * 0.6)};
        if (!monochrome) look.fill = mix(look.fill, k_white, 0.45);
    }
    return look;
}

}  // namespace tolm::engine
