#include "engine/us_states.h"

#include "platform/text.h"

#include <array>
#include <string>

namespace tolm::engine {

namespace {

constexpr std::array<UsState, 57> k_states = {{
    {"01", "AL", "Alabama", "", true},
    {"02", "AK", "Alaska", "", true},
    {"04", "AZ", "Arizona", "", true},
    {"05", "AR", "Arkansas", "", true},
    {"06", "CA", "California", "", true},
    {"08", "CO", "Colorado", "", true},
    {"09", "CT", "Connecticut", "", true},
    {"10", "DE", "Delaware", "", true},
    {"11", "DC", "District of Columbia", "", true},
    {"12", "FL", "Florida", "", true},
    {"13", "GA", "Georgia", "", true},
    {"15", "HI", "Hawaii", "", true},
    {"16", "ID", "Idaho", "", true},
    {"17", "IL", "Illinois", "", true},
    {"18", "IN", "Indiana", "", true},
    {"19", "IA", "Iowa", "", true},
    {"20", "KS", "Kansas", "", true},
    {"21", "KY", "Kentucky", "", true},
    {"22", "LA", "Louisiana", "", true},
    {"23", "ME", "Maine", "", true},
    {"24", "MD", "Maryland", "", true},
    {"25", "MA", "Massachusetts", "", true},
    {"26", "MI", "Michigan", "", true},
    {"27", "MN", "Minnesota", "", true},
    {"28", "MS", "Mississippi", "", true},
    {"29", "MO", "Missouri", "", true},
    {"30", "MT", "Montana", "", true},
    {"31", "NE", "Nebraska", "", true},
    {"32", "NV", "Nevada", "", true},
    {"33", "NH", "New Hampshire", "", true},
    {"34", "NJ", "New Jersey", "", true},
    {"35", "NM", "New Mexico", "", true},
    {"36", "NY", "New York", "", true},
    {"37", "NC", "North Carolina", "", true},
    {"38", "ND", "North Dakota", "", true},
    {"39", "OH", "Ohio", "", true},
    {"40", "OK", "Oklahoma", "", true},
    {"41", "OR", "Oregon", "", true},
    {"42", "PA", "Pennsylvania", "", true},
    {"44", "RI", "Rhode Island", "", true},
    {"45", "SC", "South Carolina", "", true},
    {"46", "SD", "South Dakota", "", true},
    {"47", "TN", "Tennessee", "", true},
    {"48", "TX", "Texas", "", true},
    {"49", "UT", "Utah", "", true},
    {"50", "VT", "Vermont", "", true},
    {"51", "VA", "Virginia", "", true},
    {"53", "WA", "Washington", "", true},
    {"54", "WV", "West Virginia", "", true},
    {"55", "WI", "Wisconsin", "", true},
    {"56", "WY", "Wyoming", "", true},
    {"60", "AS", "American Samoa", "", true},
    {"66", "GU", "Guam", "", true},
    {"69", "MP", "Commonwealth of the Northern Mariana Islands", "Northern Mariana Islands", true},
    {"72", "PR", "Puerto Rico", "", true},
    {"74", "UM", "United States Minor Outlying Islands", "", false},
    {"78", "VI", "United States Virgin Islands", "Virgin Islands", true},
}};

}  // namespace

std::span<const UsState> us_states() noexcept { return k_states; }

std::optional<UsState> state_by_fips(std::string_view fips) {
    for (const auto& state : k_states)
        if (state.fips == fips) return state;
    return std::nullopt;
}

std::optional<UsState> state_by_code(std::string_view code) {
    const std::string upper = to_upper_ascii(code);
    for (const auto& state : k_states)
        if (state.code == upper) return state;
    return std::nullopt;
}

}  // namespace tolm::engine
