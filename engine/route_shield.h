#pragma once

#include "platform/painter.h"

#include <array>
#include <cstddef>
#include <string_view>

// Route numbers drawn as a road atlas draws them: the Interstate's shield, the U.S. route's shield,
// a state route's oval and a plain box for anything else, each of our own drawing.
namespace tolm::engine {

enum class ShieldKind : std::uint8_t { interstate, us_route, state_route, other };

struct RouteNumber {
    ShieldKind kind = ShieldKind::other;
    std::string_view number;  // what the shield shows: "670" of "I 670", the whole text of another
};

// The kind and number of one route number as the data writes it ("I 670", "I-5", "US 62", "OR 99E",
// "SR 315"); blanks around it are dropped.
RouteNumber classify_route(std::string_view ref);

// The first `out.size()` route numbers of a road's ref, which may hold several separated by ";"
// ("I 670;US 62"). Empty parts, and parts too long for any shield, are left out. Returns how many.
inline constexpr std::size_t k_most_shields = 3;
inline constexpr std::size_t k_longest_shield_number = 6;
std::size_t split_route_refs(std::string_view ref, std::array<RouteNumber, k_most_shields>& out);

// The width of a shield around a number of `text_width` pixels, `height` pixels high.
double shield_width(ShieldKind kind, double text_width, double height) noexcept;

// Paints the shield's shape centred on (x, y); the number is drawn by the caller.
void paint_shield_shape(platform::Painter& painter, ShieldKind kind, double x, double y, double width, double height,
                        bool monochrome);

// The colour of the number on a shield.
platform::Colour shield_text_colour(ShieldKind kind, bool monochrome) noexcept;

}  // namespace tolm::engine
