#pragma once

#include "engine/feature_set.h"
#include "engine/map_style.h"
#include "platform/painter.h"

#include <array>
#include <cstddef>
#include <cstdint>

// How each rank of road looks: the ranks a street atlas draws, from the road's kind where the data
// gives it and from its class where not, with widths that grow with the zoom.
namespace tolm::engine {

enum class RoadRank : std::uint8_t { motorway, trunk, primary, secondary, tertiary, minor, service, track, link };
inline constexpr std::size_t k_road_rank_count = 9;

RoadRank road_rank(RoadClass road_class, RoadKind kind) noexcept;

// The road class whose colour item colours a rank.
RoadClass colour_class(RoadRank rank) noexcept;

// Pixels across the road's fill at a zoom level; casings add to it.
double road_width(RoadRank rank, double zoom) noexcept;

// The least zoom level at which a rank is drawn at all (service roads and tracks only close up).
double road_least_zoom(RoadRank rank) noexcept;

// Dashes along a line: on and off lengths in pixels, or none.
struct DashPattern {
    double on = 0;
    double off = 0;
    bool dashed() const noexcept { return on > 0 && off > 0; }
};

// The look of one rank at one zoom, in colour or in black and white.
struct RoadLook {
    double width = 1;
    bool cased = false;
    double casing_width = 0;  // the casing's whole width, road included
    platform::Colour fill;
    platform::Colour casing;
    DashPattern fill_dash;    // tracks are dashed
    DashPattern casing_dash;  // tunnels are dashed at their edges
    // A thin line along the middle of the road: the monochrome motorway, drawn as a double line.
    double centre_width = 0;
    platform::Colour centre;
};

RoadLook road_look(RoadRank rank, RoadLevel level, double zoom, const MapStyle& style, bool monochrome) noexcept;

}  // namespace tolm::engine
