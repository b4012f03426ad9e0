#pragma once

#include "engine/pack/pack_reader.h"
#include "engine/search/address_search.h"
#include "engine/search/phone_lookup.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The engine's searches over its current packs. The indexes are built at the first search after
// the packs changed, so loading data folders stays fast and an engine that never searches never
// pays for them.
namespace tolm::engine::search {

class EngineSearch {
public:
    // The packs changed; they must outlive the next searches (or the next reset).
    void reset(std::vector<const PackView*> packs);

    // The telephone answer for an area code and exchange; empty when nothing is known.
    std::string phone_answer(std::string_view number);

    // Reports each match's found-item text, in order, and returns the number of matches.
    std::int32_t address_search(std::string_view text, const std::function<void(const std::string&)>& found);

private:
    std::vector<const PackView*> m_packs;
    std::unique_ptr<AddressSearch> m_addresses;
    std::unique_ptr<PhoneLookup> m_phones;
};

}  // namespace tolm::engine::search
