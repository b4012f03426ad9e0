#pragma once

#include <string>
#include <string_view>

// What the user typed into the address search: "Street Address, Place, State, Zip", each field
// optional. Fields are recognised from the end: a ZIP code is five digits (ZIP+4 allowed), a state
// is a postal code or a state's name; what remains is the street (with its house number) and then
// the place.
namespace tolm::engine::search {

struct AddressQuery {
    std::string house_number;  // digits only, empty when none was given
    std::string street;        // normalised; may hold wildcards
    std::string place;         // normalised; may hold wildcards
    std::string state_code;    // two letters, empty when none was given
    std::string zip;           // five digits, empty when none was given
    // A single text without a house number ("Austin", "Main St") may name a street or a place; the
    // search then tries both.
    bool street_or_place = false;
};

AddressQuery parse_address_query(std::string_view text);

}  // namespace tolm::engine::search
