#include "engine/search/address_search.h"

#include "engine/search/address_query.h"
#include "engine/search/street_name.h"
#include "platform/text.h"
#include "platform/variant.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <set>
#include <tuple>
#include <unordered_map>

namespace tolm::engine::search {

namespace {

constexpr double k_metres_per_degree = 6371008.8 * std::numbers::pi / 180.0;

// The whole number a TIGER house number starts with; false when it has none. Numbers such as
// "N123W456" (with a grid prefix) are not interpolated.
bool house_number_value(std::string_view text, long& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size() || text[i] < '0' || text[i] > '9') return false;
    long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (v > 100'000'000) return false;
        v = v * 10 + (text[i] - '0');
    }
    value = v;
    return true;
}

bool parity_allows(char parity, long number) {
    if (parity == 'O') return number % 2 != 0;
    if (parity == 'E') return number % 2 == 0;
    return true;
}

bool state_matches(std::string_view wanted, std::string_view state) {
    return wanted.empty() || equals_ignoring_case(wanted, state);
}

bool name_matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return true;
    const std::string key = normalise_name(name);
    return has_wildcard(pattern) ? wildcard_match(pattern, key) : key == pattern;
}

void add_key(std::vector<std::pair<std::string, std::uint32_t>>& keys, std::string key, std::uint32_t index) {
    if (!key.empty()) keys.emplace_back(std::move(key), index);
}

void sort_keys(std::vector<std::pair<std::string, std::uint32_t>>& keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

}  // namespace

std::string AddressMatch::found_item_text() const {
    std::string text;
    for (const auto* field : {&street, &place, &house_number, &state_code}) {
        text += *field;
        text += '\t';
    }
    text += zip;
    if (nearest) text += zip.empty() ? "(nearest)" : " (nearest)";
    text += "\t\t";
    text += format_double(position.lon);
    text += ',';
    text += format_double(position.lat);
    return text;
}

LonLat point_along(const PointRun& line, double fraction, bool right_side, double offset_metres) {
    if (line.size() == 0) return {};
    if (line.size() == 1) return line.lon_lat(0);
    // Lengths in metres on a local flat projection: a street segment is far too short for the
    // Earth's curvature to matter.
    const double cos_lat = std::cos(line.lon_lat(0).lat * std::numbers::pi / 180.0);
    auto metres = [&](const LonLat& a, const LonLat& b) {
        return std::hypot((b.lon - a.lon) * cos_lat, b.lat - a.lat) * k_metres_per_degree;
    };
    double total = 0;
    for (std::uint32_t i = 1; i < line.size(); ++i) total += metres(line.lon_lat(i - 1), line.lon_lat(i));
    const double wanted = std::clamp(fraction, 0.0, 1.0) * total;

    double walked = 0;
    LonLat a = line.lon_lat(0), b = line.lon_lat(1);
    double along = 0;
    for (std::uint32_t i = 1; i < line.size(); ++i) {
        a = line.lon_lat(i - 1);
        b = line.lon_lat(i);
        const double length = metres(a, b);
        if (walked + length >= wanted || i + 1 == line.size()) {
            along = length > 0 ? std::clamp((wanted - walked) / length, 0.0, 1.0) : 0.0;
            break;
        }
        walked += length;
    }
    LonLat point{a.lon + (b.lon - a.lon) * along, a.lat + (b.lat - a.lat) * along};

    // The side: the segment's direction turned a quarter to the right (or left), in metres.
    const double east = (b.lon - a.lon) * cos_lat, north = b.lat - a.lat;
    const double norm = std::hypot(east, north);
    if (norm > 0 && offset_metres != 0 && cos_lat > 1e-9) {
        const double side = right_side ? 1.0 : -1.0;
        const double offset_east = side * north / norm * offset_metres;
        const double offset_north = side * -east / norm * offset_metres;
        point.lon += offset_east / (k_metres_per_degree * cos_lat);
        point.lat += offset_north / k_metres_per_degree;
    }
    return point;
}

LonLat street_middle(const std::vector<PointRun>& lines) {
    struct Piece {
        PointRun line;
        double start, end;  // positions of its ends along the street's direction
        double length;
    };
    std::vector<Piece> pieces;
    for (const PointRun& line : lines) {
        if (line.size() == 0) continue;
        const bool twice = std::any_of(pieces.begin(), pieces.end(), [&](const Piece& piece) {
            const PointRun& other = piece.line;
            if (other.size() != line.size()) return false;
            for (std::uint32_t i = 0; i < line.size(); ++i)
                if (other[i].x != line[i].x || other[i].y != line[i].y) return false;
            return true;
        });
        if (!twice) pieces.push_back({line, 0, 0, 0});
    }
    if (pieces.empty()) return {};
    const double cos_lat = std::cos(pieces.front().line.lon_lat(0).lat * std::numbers::pi / 180.0);
    auto flat = [&](const LonLat& p) { return std::pair{p.lon * cos_lat, p.lat}; };
    auto metres = [&](const LonLat& a, const LonLat& b) {
        return std::hypot((b.lon - a.lon) * cos_lat, b.lat - a.lat) * k_metres_per_degree;
    };
    // The street's direction: between its two ends farthest apart (two sweeps over the line ends).
    std::vector<LonLat> ends;
    for (const Piece& piece : pieces) {
        ends.push_back(piece.line.lon_lat(0));
        ends.push_back(piece.line.lon_lat(piece.line.size() - 1));
    }
    auto farthest_from = [&](const LonLat& from) {
        LonLat best = from;
        double best_distance = -1;
        for (const LonLat& p : ends)
            if (const double d = metres(from, p); d > best_distance) {
                best_distance = d;
                best = p;
            }
        return best;
    };
    const LonLat a = farthest_from(ends.front());
    const LonLat b = farthest_from(a);
    // Plain copies: C++20 lambdas cannot capture structured bindings portably (clang refuses it).
    const auto [a_x, a_y] = flat(a);
    const auto [b_x, b_y] = flat(b);
    const double ax = a_x, ay = a_y;
    const double dx = b_x - ax, dy = b_y - ay;
    auto along = [&](const LonLat& p) {
        const auto [x, y] = flat(p);
        return (x - ax) * dx + (y - ay) * dy;
    };
    double total = 0;
    for (Piece& piece : pieces) {
        piece.start = along(piece.line.lon_lat(0));
        piece.end = along(piece.line.lon_lat(piece.line.size() - 1));
        for (std::uint32_t i = 1; i < piece.line.size(); ++i)
            piece.length += metres(piece.line.lon_lat(i - 1), piece.line.lon_lat(i));
        total += piece.length;
    }
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& p, const Piece& q) {
        return std::min(p.start, p.end) < std::min(q.start, q.end);
    });
    // Walk the pieces as they join: from the westmost (along the direction) onwards, each next
    // piece is one sharing the last one's far end; where none does, the next along the direction.
    auto same = [](const auto& p, const auto& q) { return p.x == q.x && p.y == q.y; };
    std::vector<bool> used(pieces.size(), false);
    double left = total / 2;
    // Start at a free end of the street (an end no other piece shares), else at the westmost.
    auto shared = [&](std::size_t self, const auto& point) {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const PointRun& line = pieces[i].line;
            if (i != self && (same(line[0], point) || same(line[line.size() - 1], point))) return true;
        }
        return false;
    };
    std::size_t current = 0;
    bool reversed = pieces[0].end < pieces[0].start;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const PointRun& line = pieces[i].line;
        const bool first_free = !shared(i, line[0]), last_free = !shared(i, line[line.size() - 1]);
        if (first_free || last_free) {
            current = i;
            reversed = !first_free || (last_free && pieces[i].end < pieces[i].start);
            break;
        }
    }
    for (std::size_t walked = 0; walked < pieces.size(); ++walked) {
        used[current] = true;
        const Piece& piece = pieces[current];
        if (left <= piece.length || walked + 1 == pieces.size()) {
            double fraction = piece.length > 0 ? std::clamp(left / piece.length, 0.0, 1.0) : 0.5;
            // A piece drawn against the way walked is measured from its far end.
            if (reversed) fraction = 1.0 - fraction;
            return point_along(piece.line, fraction, false, 0.0);
        }
        left -= piece.length;
        const auto tail = reversed ? piece.line[0] : piece.line[piece.line.size() - 1];
        std::size_t next = pieces.size();
        for (std::size_t i = 0; i < pieces.size() && next == pieces.size(); ++i) {
            if (used[i]) continue;
            const PointRun& line = pieces[i].line;
            if (same(line[0], tail) || same(line[line.size() - 1], tail)) {
                next = i;
                reversed = !same(line[0], tail);
            }
        }
        if (next == pieces.size()) {
            next = static_cast<std::size_t>(std::find(used.begin(), used.end(), false) - used.begin());
            reversed = pieces[next].end < pieces[next].start;
        }
        current = next;
    }
    return pieces.front().line.lon_lat(0);
}

AddressSearch::AddressSearch(std::vector<const PackView*> packs) : m_packs(std::move(packs)) {
    // Streets: one entry per distinct name as stored, so each spelling is normalised only once.
    std::unordered_map<std::string_view, std::uint32_t> by_name;
    for (std::uint32_t p = 0; p < m_packs.size(); ++p) {
        const PackView& pack = *m_packs[p];
        for (std::uint32_t i = 0; i < pack.address_range_count(); ++i) {
            const auto street = pack.address_range(i).street;
            if (street.empty()) continue;
            auto [it, inserted] = by_name.try_emplace(street, static_cast<std::uint32_t>(m_streets.size()));
            if (inserted) m_streets.emplace_back();
            m_streets[it->second].ranges.push_back({p, i});
        }
        for (std::uint32_t i = 0; i < pack.place_count(); ++i) {
            const auto place = pack.place(i);
            if (place.name.empty()) continue;
            add_key(m_place_keys, normalise_name(place.name), static_cast<std::uint32_t>(m_places.size()));
            m_places.push_back({place.name, place.state_code, place.position});
        }
        for (std::uint32_t i = 0; i < pack.zip_count(); ++i) {
            const auto zip = pack.zip(i);
            // A ZIP record holds the ZIP, its place, its state and its county.
            m_zips.push_back({zip.key, zip.place, zip.third, zip.position});
        }
    }
    for (const auto& [name, index] : by_name) {
        const std::string full = normalise_name(name);
        const std::string core = core_street_name(full);
        add_key(m_street_keys, full, index);
        add_key(m_street_keys, core, index);
        // "N Main St" is found as "Main St" and as "N Main" too.
        const auto blank = full.find(' ');
        if (blank != std::string::npos && is_direction_word(std::string_view(full).substr(0, blank)))
            add_key(m_street_keys, full.substr(blank + 1), index);
        // A trailing direction drops like a leading one: "Main St W" is found as "Main St", and
        // as "Main" through its core name.
        std::string without_direction = full;
        auto last_blank = full.rfind(' ');
        if (last_blank != std::string::npos && is_direction_word(std::string_view(full).substr(last_blank + 1))) {
            without_direction = full.substr(0, last_blank);
            add_key(m_street_keys, without_direction, index);
            if (blank != std::string::npos && blank < last_blank &&
                is_direction_word(std::string_view(full).substr(0, blank)))
                add_key(m_street_keys, full.substr(blank + 1, last_blank - blank - 1), index);
        }
        last_blank = without_direction.rfind(' ');
        if (last_blank != std::string::npos &&
            is_street_type_word(std::string_view(without_direction).substr(last_blank + 1)))
            add_key(m_street_keys, without_direction.substr(0, last_blank), index);
    }
    sort_keys(m_street_keys);
    sort_keys(m_place_keys);
    std::stable_sort(m_zips.begin(), m_zips.end(), [](const ZipEntry& a, const ZipEntry& b) { return a.zip < b.zip; });
}

std::vector<std::uint32_t> AddressSearch::matching(const std::vector<Key>& keys, std::string_view pattern) {
    std::vector<std::uint32_t> found;
    if (pattern.empty()) return found;
    const auto wild = pattern.find_first_of("*?");
    // The literal part before the first wildcard narrows the sorted keys to one run.
    const std::string prefix(pattern.substr(0, wild == std::string_view::npos ? pattern.size() : wild));
    auto it = std::lower_bound(keys.begin(), keys.end(), prefix,
                               [](const Key& key, const std::string& p) { return key.first < p; });
    for (; it != keys.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (wild == std::string_view::npos ? it->first == pattern : wildcard_match(pattern, it->first))
            found.push_back(it->second);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::string_view AddressSearch::place_of(const AddressRangeRecord& range) const {
    if (!range.place.empty() || range.zip.empty()) return range.place;
    // Ranges imported without place names still have a ZIP code, whose place stands in.
    auto it = std::lower_bound(m_zips.begin(), m_zips.end(), range.zip,
                               [](const ZipEntry& entry, std::string_view zip) { return entry.zip < zip; });
    return it != m_zips.end() && it->zip == range.zip ? it->place : std::string_view{};
}

std::vector<AddressSearch::RangeId> AddressSearch::candidate_ranges(const AddressQuery& query) const {
    const std::string_view place_pattern = query.street_or_place ? std::string_view{} : std::string_view(query.place);
    std::vector<RangeId> found;
    for (std::uint32_t street : matching(m_street_keys, query.street)) {
        for (const RangeId id : m_streets[street].ranges) {
            const AddressRangeRecord range = m_packs[id.pack]->address_range(id.index);
            if (!state_matches(query.state_code, range.state_code)) continue;
            if (!query.zip.empty() && range.zip != query.zip) continue;
            if (!place_pattern.empty() && !name_matches(place_pattern, place_of(range))) continue;
            found.push_back(id);
        }
    }
    return found;
}

void AddressSearch::find_numbered(const AddressQuery& query, long number, std::vector<AddressMatch>& out) const {
    using RowKey = std::tuple<std::string_view, std::string_view, std::string_view, std::string_view>;
    struct Nearest {
        long gap;
        long end;
        RangeId id;
        double fraction;
    };
    std::set<RowKey> seen;
    std::vector<std::pair<RowKey, Nearest>> nearest;  // in order of first appearance
    bool held = false;
    for (const RangeId id : candidate_ranges(query)) {
        if (out.size() >= k_match_limit) return;
        const AddressRangeRecord range = m_packs[id.pack]->address_range(id.index);
        long from = 0, to = 0;
        if (!house_number_value(range.from_number, from) || !house_number_value(range.to_number, to)) continue;
        const std::string_view place = place_of(range);
        const RowKey key{range.street, place, range.zip, range.state_code};
        if (number < std::min(from, to) || number > std::max(from, to) || !parity_allows(range.parity, number)) {
            if (held) continue;
            // Remember the range end closest to the number, one per row the street would give.
            const bool from_closer = std::labs(number - from) <= std::labs(number - to);
            const Nearest candidate{std::labs(number - (from_closer ? from : to)), from_closer ? from : to, id,
                                    from_closer ? 0.0 : 1.0};
            auto it = std::find_if(nearest.begin(), nearest.end(), [&](const auto& entry) { return entry.first == key; });
            if (it == nearest.end()) nearest.emplace_back(key, candidate);
            else if (candidate.gap < it->second.gap) it->second = candidate;
            continue;
        }
        held = true;
        const double fraction = from != to ? static_cast<double>(number - from) / static_cast<double>(to - from) : 0.5;
        // One row per street, place, ZIP and state: both sides and every segment of a street
        // would otherwise each give a row of their own.
        if (!seen.emplace(key).second) continue;
        AddressMatch match;
        match.street = std::string(range.street);
        match.place = std::string(place);
        match.house_number = std::to_string(number);
        match.state_code = std::string(range.state_code);
        match.zip = std::string(range.zip);
        match.position = point_along(range.points, fraction, range.right_side, k_side_offset_metres);
        out.push_back(std::move(match));
    }
    if (held) return;
    // No range holds the number: the user still gets the street, at the end of its nearest range.
    for (const auto& [key, best] : nearest) {
        if (out.size() >= k_match_limit) return;
        const AddressRangeRecord range = m_packs[best.id.pack]->address_range(best.id.index);
        AddressMatch match;
        match.street = std::string(range.street);
        match.place = std::string(std::get<1>(key));
        match.house_number = std::to_string(best.end);
        match.state_code = std::string(range.state_code);
        match.zip = std::string(range.zip);
        match.position = point_along(range.points, best.fraction, range.right_side, k_side_offset_metres);
        match.nearest = true;
        out.push_back(std::move(match));
    }
}

void AddressSearch::find_whole_streets(const AddressQuery& query, std::vector<AddressMatch>& out) const {
    // One row per street, place and state, centred on all of the street's segments there. The
    // ZIP code is shown only when the whole street has one.
    struct Row {
        std::string_view street, place, state_code, zip;
        bool one_zip = true;
        std::vector<PointRun> lines;
    };
    std::vector<Row> rows;
    for (const RangeId id : candidate_ranges(query)) {
        const AddressRangeRecord range = m_packs[id.pack]->address_range(id.index);
        const std::string_view place = place_of(range);
        auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& row) {
            return row.street == range.street && row.place == place && row.state_code == range.state_code;
        });
        if (it == rows.end()) {
            if (rows.size() >= k_match_limit) continue;
            rows.push_back({range.street, place, range.state_code, range.zip, true, {}});
            it = rows.end() - 1;
        } else if (it->zip != range.zip) {
            it->one_zip = false;
        }
        it->lines.push_back(range.points);
    }
    for (const Row& row : rows) {
        if (out.size() >= k_match_limit) return;
        AddressMatch match;
        match.street = std::string(row.street);
        match.place = std::string(row.place);
        match.state_code = std::string(row.state_code);
        if (row.one_zip) match.zip = std::string(row.zip);
        match.position = street_middle(row.lines);
        out.push_back(std::move(match));
    }
}

void AddressSearch::find_streets(const AddressQuery& query, std::vector<AddressMatch>& out) const {
    long number = 0;
    if (!query.house_number.empty() && house_number_value(query.house_number, number))
        find_numbered(query, number, out);
    else
        find_whole_streets(query, out);
}

void AddressSearch::find_places(const AddressQuery& query, std::vector<AddressMatch>& out) const {
    std::set<std::pair<std::string, std::string_view>> seen;
    if (!query.zip.empty()) {
        auto it = std::lower_bound(m_zips.begin(), m_zips.end(), query.zip,
                                   [](const ZipEntry& entry, const std::string& zip) { return entry.zip < zip; });
        for (; it != m_zips.end() && it->zip == query.zip && out.size() < k_match_limit; ++it) {
            if (!state_matches(query.state_code, it->state_code) || !name_matches(query.place, it->place)) continue;
            out.push_back({{}, std::string(it->place), {}, std::string(it->state_code), std::string(it->zip), it->position});
        }
        return;
    }
    // Places come largest first, so a name given twice in one state keeps its main entry.
    for (std::uint32_t index : matching(m_place_keys, query.place)) {
        if (out.size() >= k_match_limit) return;
        const PlaceEntry& place = m_places[index];
        if (!state_matches(query.state_code, place.state_code)) continue;
        if (!seen.emplace(normalise_name(place.name), place.state_code).second) continue;
        out.push_back({{}, std::string(place.name), {}, std::string(place.state_code), {}, place.position});
    }
}

std::vector<AddressMatch> AddressSearch::find(std::string_view text) const {
    const AddressQuery query = parse_address_query(text);
    std::vector<AddressMatch> out;
    const bool street_given = !query.street.empty();
    const bool place_only = !street_given || query.street_or_place;
    if (place_only && query.house_number.empty()) find_places(query, out);
    if (street_given) find_streets(query, out);
    return out;
}

}  // namespace tolm::engine::search
