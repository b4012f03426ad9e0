#pragma once

#include <string>
#include <string_view>

// The states, the federal district and the territories with their two-letter postal codes: the
// address search accepts either form in the state field of an address.
namespace tolm::engine::search {

// The postal code of a code or a name in any letter case ("tx", "Texas", "district of columbia"),
// or an empty text when it is neither.
std::string state_code_of(std::string_view code_or_name);

}  // namespace tolm::engine::search
