#include "engine/search/us_states.h"

#include "engine/search/street_name.h"
#include "platform/text.h"

#include <array>
#include <utility>

namespace tolm::engine::search {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 56> k_states{{
    {"AL", "ALABAMA"}, {"AK", "ALASKA"}, {"AZ", "ARIZONA"}, {"AR", "ARKANSAS"}, {"CA", "CALIFORNIA"},
    {"CO", "COLORADO"}, {"CT", "CONNECTICUT"}, {"DE", "DELAWARE"}, {"DC", "DISTRICT OF COLUMBIA"},
    {"FL", "FLORIDA"}, {"GA", "GEORGIA"}, {"HI", "HAWAII"}, {"ID", "IDAHO"}, {"IL", "ILLINOIS"},
    {"IN", "INDIANA"}, {"IA", "IOWA"}, {"KS", "KANSAS"}, {"KY", "KENTUCKY"}, {"LA", "LOUISIANA"},
    {"ME", "MAINE"}, {"MD", "MARYLAND"}, {"MA", "MASSACHUSETTS"}, {"MI", "MICHIGAN"}, {"MN", "MINNESOTA"},
    {"MS", "MISSISSIPPI"}, {"MO", "MISSOURI"}, {"MT", "MONTANA"}, {"NE", "NEBRASKA"}, {"NV", "NEVADA"},
    {"NH", "NEW HAMPSHIRE"}, {"NJ", "NEW JERSEY"}, {"NM", "NEW MEXICO"}, {"NY", "NEW YORK"},
    {"NC", "NORTH CAROLINA"}, {"ND", "NORTH DAKOTA"}, {"OH", "OHIO"}, {"OK", "OKLAHOMA"}, {"OR", "OREGON"},
    {"PA", "PENNSYLVANIA"}, {"RI", "RHODE ISLAND"}, {"SC", "SOUTH CAROLINA"}, {"SD", "SOUTH DAKOTA"},
    {"TN", "TENNESSEE"}, {"TX", "TEXAS"}, {"UT", "UTAH"}, {"VT", "VERMONT"}, {"VA", "VIRGINIA"},
    {"WA", "WASHINGTON"}, {"WV", "WEST VIRGINIA"}, {"WI", "WISCONSIN"}, {"WY", "WYOMING"},
    {"PR", "PUERTO RICO"}, {"GU", "GUAM"}, {"VI", "VIRGIN ISLANDS"}, {"AS", "AMERICAN SAMOA"},
    {"MP", "NORTHERN MARIANA ISLANDS"},
}};

}  // namespace

std::string state_code_of(std::string_view code_or_name) {
    const std::string upper = trim_blanks(to_upper_ascii(code_or_name));
    // Names are compared in their normalised spelling, in which "NORTH" and "SOUTH" are abbreviated.
    const std::string name = normalise_name(upper);
    for (const auto& [code, full] : k_states) {
        if (upper == code || name == normalise_name(full)) return std::string(code);
    }
    return {};
}

}  // namespace tolm::engine::search
