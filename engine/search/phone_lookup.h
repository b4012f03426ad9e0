#pragma once

#include "engine/pack/pack_reader.h"

#include <string>
#include <string_view>
#include <vector>

// The telephone lookup: the area code and exchange (the first six digits of a number) to the
// place they serve. A pack with an exchange table answers for exchanges; otherwise the area code
// alone answers from the area-code records of the default data.
namespace tolm::engine::search {

class PhoneLookup {
public:
    // The packs must outlive the lookup. Packs listed first win when several know a number.
    explicit PhoneLookup(std::vector<const PackView*> packs);

    // The answer text: the digits asked for, place, county, state, x and y, separated by tabs; an
    // empty text when the digits are not three to six digits or nothing is known of them.
    std::string answer(std::string_view digits) const;

private:
    const PostalRecord* find(std::string_view key) const;

    std::vector<PostalRecord> m_records;  // sorted by key
};

}  // namespace tolm::engine::search
