#pragma once

#include "engine/geo.h"
#include "engine/pack/pack_reader.h"
#include "engine/search/address_query.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The engine's address search over the address ranges, places and ZIP codes of its data packs.
// A street address is placed by interpolating its house number along the TIGER range that holds
// it, a little to the side of the street its number lies on; a place or a ZIP code alone gives
// the place's own position.
namespace tolm::engine::search {

// One match, in the fields the server's found-item handler reads.
struct AddressMatch {
    std::string street;
    std::string place;
    std::string house_number;
    std::string state_code;
    std::string zip;
    LonLat position;
    // No range holds the number asked for: this is the end of the range nearest to it, and the
    // row says so after the ZIP code.
    bool nearest = false;

    // The found-item text: street, place, house number, state, ZIP, an unused field and "x,y",
    // separated by tabs.
    std::string found_item_text() const;
};

// How far an interpolated address is put beside the street's centre line, towards its side.
inline constexpr double k_side_offset_metres = 8.0;
// A search stops after this many matches: a list longer than this helps nobody.
inline constexpr std::size_t k_match_limit = 1000;

class AddressSearch {
public:
    // Indexes the packs' address ranges, places and ZIP codes. The packs must outlive the search.
    explicit AddressSearch(std::vector<const PackView*> packs);

    std::vector<AddressMatch> find(std::string_view text) const;

    std::size_t street_count() const noexcept { return m_streets.size(); }

private:
    struct RangeId {
        std::uint32_t pack;
        std::uint32_t index;
    };
    struct Street {
        std::vector<RangeId> ranges;
    };
    struct PlaceEntry {
        std::string_view name;
        std::string_view state_code;
        LonLat position;
    };
    struct ZipEntry {
        std::string_view zip;
        std::string_view place;
        std::string_view state_code;
        LonLat position;
    };
    using Key = std::pair<std::string, std::uint32_t>;

    void find_streets(const AddressQuery& query, std::vector<AddressMatch>& out) const;
    void find_numbered(const AddressQuery& query, long number, std::vector<AddressMatch>& out) const;
    void find_whole_streets(const AddressQuery& query, std::vector<AddressMatch>& out) const;
    // The ranges of the streets matching the query that pass its state, ZIP and place, in order.
    std::vector<RangeId> candidate_ranges(const AddressQuery& query) const;
    void find_places(const AddressQuery& query, std::vector<AddressMatch>& out) const;
    // Indexes in `keys` whose key matches the pattern (a wildcard pattern or an exact key).
    static std::vector<std::uint32_t> matching(const std::vector<Key>& keys, std::string_view pattern);
    std::string_view place_of(const AddressRangeRecord& range) const;

    std::vector<const PackView*> m_packs;
    std::vector<Street> m_streets;
    std::vector<Key> m_street_keys;  // sorted; several keys lead to one street
    std::vector<PlaceEntry> m_places;
    std::vector<Key> m_place_keys;  // sorted
    std::vector<ZipEntry> m_zips;   // sorted by ZIP
};

// The point at `fraction` (0 to 1) of the line's length, moved `offset_metres` to the right of the
// line (looking along it) or to its left. A line of one point gives that point.
LonLat point_along(const PointRun& line, double fraction, bool right_side, double offset_metres);

// The middle of a street made of several lines: the point half way along their joined length.
// The lines are put in order along the street's main direction (TIGER gives them in no order and
// in either direction); a line given twice (both sides of one segment) counts once.
LonLat street_middle(const std::vector<PointRun>& lines);

}  // namespace tolm::engine::search
