// The address search's query parser and name matching: any text parses into fields the search can
// use, and a pattern's star matches every text.
#include "fuzz_support.h"
#include "engine/search/address_query.h"
#include "engine/search/street_name.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace s = tolm::engine::search;
    const auto text = tolm::fuzz::bytes_of(data, size);
    const s::AddressQuery query = s::parse_address_query(text);
    tolm::fuzz::check(std::all_of(query.house_number.begin(), query.house_number.end(),
                                  [](char c) { return c >= '0' && c <= '9'; }),
                      "a house number is digits");
    tolm::fuzz::check(query.zip.empty() || query.zip.size() == 5, "a ZIP code is five digits");
    tolm::fuzz::check(query.state_code.empty() || query.state_code.size() == 2, "a state is two letters");

    const std::string name = s::normalise_name(text);
    (void)s::core_street_name(name);
    tolm::fuzz::check(s::wildcard_match("*", name), "a star matches every text");
    tolm::fuzz::check(s::has_wildcard(name) || s::wildcard_match(name, name), "a plain name matches itself");
    const auto [pattern, subject] = tolm::fuzz::split_at_nul(text);
    (void)s::wildcard_match(pattern, subject);
    return 0;
}
