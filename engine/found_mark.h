#pragma once

#include "engine/feature_set.h"
#include "engine/geo.h"
#include "engine/pack/pack_reader.h"
#include "platform/painter.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Where a search's chosen item is: a pin at a found address, callsign or telephone area, the
// outline of a found state or county, a dot where a mile marker's line crosses its interstate.
// The mark is drawn over the map and never changes the view.
namespace tolm::engine {

enum class FoundMarkKind : std::uint8_t { none, pin, state, county, mile_marker };

// The item as the server hands it over, in the terms of its search.
struct FoundMark {
    FoundMarkKind kind = FoundMarkKind::none;
    LonLat point{};           // pin: where it stands
    std::string name;         // state or county: its name as the search lists it
    std::string state_code;   // county: its state ("TX"); mile marker: the state searched
    std::string road;         // mile marker: the interstate's number as searched ("20")
    Extent box{};             // state, county, mile marker: the box the search showed
    double line = 0;          // mile marker: the line's latitude or longitude
    bool line_is_latitude = false;
};

// What the renderer draws of a mark, found in the packs in use: the outlined area by its
// attributes (all three must match, so that every pack's copy of it is outlined), and a point.
struct MarkOnMap {
    enum class Point : std::uint8_t { none, pin, dot };
    Point point_kind = Point::none;
    LonLat point{};
    bool outlined = false;
    AreaKind area_kind = AreaKind::state;
    std::string area_name, area_code, area_state_code;
};

// The mark of an item in the packs. A region whose name the packs do not hold is looked for by its
// box; an interstate that no pack holds (or that misses the line) gives no dot, only the line.
MarkOnMap locate_found_mark(const FoundMark& mark, std::span<const PackView* const> packs);

namespace detail {
// The area of the packs that is the found region: same kind, the name as listed (an independent
// city's " (city)" taken off), the state when given, and of several alike the one whose box lies
// nearest the searched box. Without a name match, the area whose box best covers the searched box.
std::optional<AreaAttributes> find_region(std::span<const PackView* const> packs, AreaKind kind, std::string_view name,
                                          std::string_view state_code, const Extent& box);
// True when a road's route numbers or name name this interstate ("I 20", "I-20;US 80", "I- 20",
// "Interstate 20", "IH 20").
bool names_interstate(std::string_view text, std::string_view number);
// Where the interstate crosses the line inside the box; of several crossings the one nearest the
// box's centre.
std::optional<LonLat> find_line_crossing(std::span<const PackView* const> packs, std::string_view road, double line,
                                         bool line_is_latitude, const Extent& box);
}  // namespace detail

// The colour of everything marked: a strong violet that no land shading, water, road class or
// label colour comes near, so it reads over all of them and on white.
inline constexpr platform::Colour k_found_mark_colour{0xFFA010B0u};

// A map pin whose tip stands on (x, y), pixels.
void paint_pin(platform::Painter& painter, double x, double y, bool monochrome);
struct PixelBounds {
    double left, top, right, bottom;
};
// The box round the whole pin, and the two that labels keep clear of: its head and its narrow
// stem, which leave room beside the tip for the name of a place found there.
PixelBounds pin_bounds(double x, double y) noexcept;
std::array<PixelBounds, 2> pin_label_boxes(double x, double y) noexcept;
// A round dot centred on (x, y).
void paint_mark_dot(platform::Painter& painter, double x, double y, bool monochrome);
PixelBounds dot_bounds(double x, double y) noexcept;

}  // namespace tolm::engine
