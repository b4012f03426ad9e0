#pragma once

#include "engine/overlay.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolm::engine::detail {

// Where GeoJSON text comes from, a piece at a time, so that a file need not be held whole.
class TextPieces {
public:
    virtual ~TextPieces() = default;
    // The next piece of the text; empty once it has all been given.
    virtual std::string_view next() = 0;
};

// What a GeoJSON overlay came to. The first fault found wins: invalid JSON anywhere, else the first
// fault in what the file means (named as the overlay's errors name it), else too many positions.
struct GeoJsonResult {
    std::vector<Overlay::Item> items;
    std::optional<std::string> json_error;  // the JSON library's own text
    std::optional<std::string> fault;
    bool too_many_positions = false;
};

// Reads GeoJSON event by event and builds the items as it goes: memory stays near the size of the
// items, never that of a whole document tree. Nothing is thrown for a damaged file; the result says.
GeoJsonResult read_geojson(std::string_view text);
GeoJsonResult read_geojson(TextPieces& text);

}  // namespace tolm::engine::detail
