#pragma once

#include <string>
#include <string_view>

// Street names as a street atlas prints them: "Northwest 9th Avenue" becomes "NW 9th Ave", with the
// Postal Service's abbreviations of the street type and of a leading or trailing direction.
namespace tolm::engine {

// The short form of a street name. A word is abbreviated only where it is a type or a direction by
// its place (the last word, the first or the one after the type), and never when it is all that
// names the street ("North Street" is "North St", "Avenue Road" keeps "Avenue").
std::string abbreviate_street_name(std::string_view name);

// True when the text is well-formed UTF-8 with no control characters: text that may be handed to
// the painter. Map data is UTF-8 from many sources; a label that is not is left out, not drawn.
bool is_drawable_text(std::string_view text) noexcept;

}  // namespace tolm::engine
