#pragma once

#include "server/search/find_result.h"

#include <optional>
#include <string>
#include <string_view>

// The rows made from the answers of the map engine and of the client: addresses found by the
// engine, its telephone answer and the client's callsign positions.
namespace tolm::server {

// Lower case, then upper case at the start and after every blank (only blanks break words).
std::string ProperCase(std::string_view text);

// The row of one found address: seven or more tab-separated fields (street, place, house number,
// state, ZIP, unused, "x,y"). Nothing for a text of fewer fields or without a comma in field 6.
std::optional<FindResult> address_row(std::string_view found_item_text);

// The row of the engine's telephone answer (digits, place, county, state, x, y); nothing added for
// an answer of fewer than six fields.
void AddPhoneResult(std::string_view answer, const AddToListSink& add);

// The client's callsign answer: tab-separated entries "title,x,y"; other entries are skipped.
void AddCallsignResults(std::string_view answer, const AddToListSink& add);

}  // namespace tolm::server
