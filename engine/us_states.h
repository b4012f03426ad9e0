#pragma once

#include <optional>
#include <span>
#include <string_view>

// The states, the District of Columbia and the territories as the Census numbers them, with their
// two-letter codes. The boundary files carry only the two-digit FIPS code and the name; addresses,
// places, the search files and the address search speak of the two-letter code.
namespace tolm::engine {

struct UsState {
    std::string_view fips;
    std::string_view code;
    // The Census's name ("United States Virgin Islands").
    std::string_view name;
    // The name people write where it is shorter than the Census's ("Virgin Islands"); else empty.
    std::string_view short_name;
    // The postal service addresses mail by this code. The Census also numbers the U.S. Minor Outlying
    // Islands (74, "UM"), which have no postal code and no addresses: a code for the import's FIPS
    // lookups, not one the address search accepts.
    bool postal;
};

// Every entry, in FIPS order.
std::span<const UsState> us_states() noexcept;

std::optional<UsState> state_by_fips(std::string_view fips);
// Any entry by its code, in any letter case.
std::optional<UsState> state_by_code(std::string_view code);

}  // namespace tolm::engine
