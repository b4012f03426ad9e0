#pragma once

#include <string>
#include <string_view>

// Street and place names as the address search compares them. Users type "100 north main street"
// where TIGER says "N Main St", so both sides are brought to one spelling: upper case, periods
// dropped, blanks collapsed, and every word that is a street type or a direction replaced by the
// Postal Service's abbreviation.
namespace tolm::engine::search {

// The compared spelling of a street or place name. "*" and "?" pass unchanged.
std::string normalise_name(std::string_view name);

// The street's name without a leading direction, a trailing direction and a trailing street type:
// "N MAIN ST" gives "MAIN", "MARTIN LUTHER KING JR BLVD E" gives "MARTIN LUTHER KING JR". A name
// that would be left empty ("N ST") is returned whole.
std::string core_street_name(std::string_view normalised);

// True for a normalised word that is a direction (N, NE, ...) or a street type (ST, AVE, ...).
bool is_direction_word(std::string_view word);
bool is_street_type_word(std::string_view word);

// True when the text holds a wildcard.
bool has_wildcard(std::string_view pattern) noexcept;

// Wildcard match of a whole text: "*" stands for any run of characters (also none), "?" for exactly
// one. Both sides are compared as given (normalise them first).
bool wildcard_match(std::string_view pattern, std::string_view text) noexcept;

}  // namespace tolm::engine::search
