#include "engine/search/phone_lookup.h"

#include "platform/variant.h"

#include <algorithm>

namespace tolm::engine::search {

PhoneLookup::PhoneLookup(std::vector<const PackView*> packs) {
    for (const PackView* pack : packs)
        for (std::uint32_t i = 0; i < pack->phone_area_count(); ++i) m_records.push_back(pack->phone_area(i));
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const PostalRecord& a, const PostalRecord& b) { return a.key < b.key; });
}

const PostalRecord* PhoneLookup::find(std::string_view key) const {
    auto it = std::lower_bound(m_records.begin(), m_records.end(), key,
                               [](const PostalRecord& record, std::string_view k) { return record.key < k; });
    return it != m_records.end() && it->key == key ? &*it : nullptr;
}

std::string PhoneLookup::answer(std::string_view digits) const {
    if (digits.size() < 3 || digits.size() > 6) return {};
    for (char c : digits)
        if (c < '0' || c > '9') return {};
    const PostalRecord* record = digits.size() == 6 ? find(digits) : nullptr;
    if (!record) record = find(digits.substr(0, 3));
    if (!record) return {};
    // A phone-area record holds the number, its place, its county and its state.
    std::string text(digits);
    for (std::string_view field : {record->place, record->third, record->fourth}) {
        text += '\t';
        text += field;
    }
    text += '\t';
    text += format_double(record->position.lon);
    text += '\t';
    text += format_double(record->position.lat);
    return text;
}

}  // namespace tolm::engine::search
