#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolm::importer {

// The states, the District of Columbia and the territories as the Census numbers them. The
// boundary files carry only the two-digit FIPS code and the name; the search files, the places
// and the address ranges speak of the two-letter postal code.
struct UsState {
    std::string_view fips;
    std::string_view code;
    std::string_view name;
};

std::optional<UsState> state_by_fips(std::string_view fips);
std::optional<UsState> state_by_code(std::string_view code);  // case-insensitive

}  // namespace tolm::importer
