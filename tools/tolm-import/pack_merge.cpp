#include "tools/tolm-import/pack_merge.h"

#include "engine/pack/pack_format.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace tolm::importer {

namespace {

using engine::LonLat;

// FNV-1a over the fields; equal features hash equal, and a hash match is confirmed field by field.
class Hasher {
public:
    void add(std::string_view text) {
        add_bytes(text.data(), text.size());
        add_number(text.size());
    }
    void add_number(std::uint64_t value) { add_bytes(&value, sizeof value); }
    void add_point(const LonLat& p) {
        add_number(static_cast<std::uint32_t>(engine::pack::to_units(p.lon)));
        add_number(static_cast<std::uint32_t>(engine::pack::to_units(p.lat)));
    }
    void add_points(const std::vector<LonLat>& points) {
        add_number(points.size());
        for (const auto& p : points) add_point(p);
    }
    std::uint64_t value() const noexcept { return m_hash; }

private:
    void add_bytes(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) m_hash = (m_hash ^ bytes[i]) * 1099511628211ull;
    }
    std::uint64_t m_hash = 14695981039346656037ull;
};

std::uint64_t hash_of(const engine::AreaFeature& a) {
    Hasher h;
    h.add_number(static_cast<std::uint8_t>(a.kind));
    h.add(a.name);
    h.add(a.code);
    h.add(a.state_code);
    h.add_number(a.rings.size());
    for (const auto& ring : a.rings) h.add_points(ring);
    return h.value();
}
bool same(const engine::AreaFeature& a, const engine::AreaFeature& b) {
    return std::tie(a.kind, a.name, a.code, a.state_code, a.rings) == std::tie(b.kind, b.name, b.code, b.state_code, b.rings);
}

std::uint64_t hash_of(const engine::RoadFeature& r) {
    Hasher h;
    h.add_number(static_cast<std::uint8_t>(r.road_class) * 2u + (r.oneway ? 1u : 0u));
    h.add(r.name);
    h.add(r.ref);
    h.add_points(r.points);
    return h.value();
}
bool same(const engine::RoadFeature& a, const engine::RoadFeature& b) {
    return std::tie(a.road_class, a.oneway, a.name, a.ref, a.points) == std::tie(b.road_class, b.oneway, b.name, b.ref, b.points);
}

std::uint64_t hash_of(const engine::PlaceFeature& p) {
    Hasher h;
    h.add(p.name);
    h.add(p.state_code);
    h.add(p.county);
    h.add_point(p.position);
    h.add_number(static_cast<std::uint64_t>(p.population));
    return h.value();
}
bool same(const engine::PlaceFeature& a, const engine::PlaceFeature& b) {
    return std::tie(a.name, a.state_code, a.county, a.position, a.population) ==
           std::tie(b.name, b.state_code, b.county, b.position, b.population);
}

std::uint64_t hash_of(const engine::AddressRangeFeature& r) {
    Hasher h;
    h.add(r.street);
    h.add(r.from_number);
    h.add(r.to_number);
    h.add_number(static_cast<unsigned char>(r.parity) * 2u + (r.right_side ? 1u : 0u));
    h.add(r.zip);
    h.add(r.place);
    h.add(r.state_code);
    h.add_points(r.points);
    return h.value();
}
bool same(const engine::AddressRangeFeature& a, const engine::AddressRangeFeature& b) {
    return std::tie(a.street, a.from_number, a.to_number, a.right_side, a.parity, a.zip, a.place, a.state_code, a.points) ==
           std::tie(b.street, b.from_number, b.to_number, b.right_side, b.parity, b.zip, b.place, b.state_code, b.points);
}

std::uint64_t hash_of(const engine::ZipFeature& z) {
    Hasher h;
    h.add(z.zip);
    h.add(z.place);
    h.add(z.state_code);
    h.add(z.county);
    h.add_point(z.position);
    return h.value();
}
bool same(const engine::ZipFeature& a, const engine::ZipFeature& b) {
    return std::tie(a.zip, a.place, a.state_code, a.county, a.position) == std::tie(b.zip, b.place, b.state_code, b.county, b.position);
}

std::uint64_t hash_of(const engine::PhoneAreaFeature& p) {
    Hasher h;
    h.add(p.npa_nxx);
    h.add(p.place);
    h.add(p.county);
    h.add(p.state_code);
    h.add_point(p.position);
    return h.value();
}
bool same(const engine::PhoneAreaFeature& a, const engine::PhoneAreaFeature& b) {
    return std::tie(a.npa_nxx, a.place, a.county, a.state_code, a.position) ==
           std::tie(b.npa_nxx, b.place, b.county, b.state_code, b.position);
}

template <typename Feature>
void merge_list(std::vector<Feature>& existing, std::vector<Feature>&& added, MergeCounts& counts) {
    counts.kept += existing.size();
    std::unordered_multimap<std::uint64_t, std::size_t> index;
    index.reserve(existing.size());
    for (std::size_t i = 0; i < existing.size(); ++i) index.emplace(hash_of(existing[i]), i);
    const std::size_t held = existing.size();
    for (auto& feature : added) {
        const auto [first, last] = index.equal_range(hash_of(feature));
        bool found = false;
        for (auto it = first; it != last && !found; ++it) found = it->second < held && same(existing[it->second], feature);
        if (found) {
            ++counts.duplicate;
            continue;
        }
        existing.push_back(std::move(feature));
        ++counts.added;
    }
}

}  // namespace

std::string MergeCounts::summary() const {
    std::string text = std::to_string(kept) + " features kept, " + std::to_string(added) + " added";
    if (duplicate) text += ", " + std::to_string(duplicate) + " already there";
    return text;
}

MergeCounts merge_features(engine::FeatureSet& existing, engine::FeatureSet&& added) {
    MergeCounts counts;
    merge_list(existing.areas, std::move(added.areas), counts);
    merge_list(existing.roads, std::move(added.roads), counts);
    merge_list(existing.places, std::move(added.places), counts);
    merge_list(existing.address_ranges, std::move(added.address_ranges), counts);
    merge_list(existing.zips, std::move(added.zips), counts);
    merge_list(existing.phone_areas, std::move(added.phone_areas), counts);
    return counts;
}

}  // namespace tolm::importer
