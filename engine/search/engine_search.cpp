#include "engine/search/engine_search.h"

#include "platform/text.h"

namespace tolm::engine::search {

void EngineSearch::reset(std::vector<const PackView*> packs) {
    m_packs = std::move(packs);
    m_addresses.reset();
    m_phones.reset();
}

std::string EngineSearch::phone_answer(std::string_view number) {
    if (!m_phones) m_phones = std::make_unique<PhoneLookup>(m_packs);
    return m_phones->answer(trim_blanks(number));
}

std::int32_t EngineSearch::address_search(std::string_view text, const std::function<void(const std::string&)>& found) {
    if (!m_addresses) m_addresses = std::make_unique<AddressSearch>(m_packs);
    const auto matches = m_addresses->find(text);
    for (const auto& match : matches)
        if (found) found(match.found_item_text());
    return static_cast<std::int32_t>(matches.size());
}

}  // namespace tolm::engine::search
