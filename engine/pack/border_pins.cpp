#include "engine/pack/border_pins.h"

#include "engine/pack/pack_format.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace tolm::engine::detail {

namespace {

// A position in the pack's units, as one number: stored rings hold exactly these positions.
std::uint64_t position_key(const LonLat& p) noexcept {
    return (std::uint64_t{static_cast<std::uint32_t>(pack::to_units(p.lon))} << 32) | static_cast<std::uint32_t>(pack::to_units(p.lat));
}

// An edge with its ends in a fixed order, so that the two directions of one border compare equal.
struct HeldEdge {
    std::uint64_t low, high;
    std::uint32_t feature;
    std::uint32_t slot;  // the edge's number, counted over every ring of every feature
};

constexpr std::uint32_t k_alone = ~0u;

}  // namespace

std::vector<std::vector<std::vector<bool>>> border_pins(const std::vector<const FeatureRings*>& features) {
    // Every edge with the feature that holds it; the area across an edge is the other feature
    // holding it when exactly two different ones do, and no area otherwise (a coast, or an edge
    // three areas claim).
    std::vector<HeldEdge> edges;
    std::uint32_t slots = 0;
    for (std::uint32_t f = 0; f < features.size(); ++f) {
        for (const auto& ring : *features[f]) {
            for (std::size_t k = 0; k + 1 < ring.size(); ++k, ++slots) {
                const std::uint64_t a = position_key(ring[k]), b = position_key(ring[k + 1]);
                if (a != b) edges.push_back({std::min(a, b), std::max(a, b), f, slots});
            }
        }
    }
    std::sort(edges.begin(), edges.end(), [](const HeldEdge& l, const HeldEdge& r) { return std::tie(l.low, l.high) < std::tie(r.low, r.high); });
    std::vector<std::uint32_t> across(slots, k_alone);
    for (std::size_t i = 0; i < edges.size();) {
        std::size_t end = i + 1;
        while (end < edges.size() && edges[end].low == edges[i].low && edges[end].high == edges[i].high) ++end;
        if (end - i == 2 && edges[i].feature != edges[i + 1].feature) {
            across[edges[i].slot] = edges[i + 1].feature;
            across[edges[i + 1].slot] = edges[i].feature;
        }
        i = end;
    }
    edges.clear();
    edges.shrink_to_fit();

    // The positions where the area across changes along a ring, and every ring's start.
    std::vector<std::uint64_t> pinned_positions;
    std::uint32_t slot = 0;
    for (const FeatureRings* rings : features) {
        for (const auto& ring : *rings) {
            if (ring.empty()) continue;
            pinned_positions.push_back(position_key(ring.front()));
            for (std::size_t k = 1; k + 1 < ring.size(); ++k)
                if (across[slot + k - 1] != across[slot + k]) pinned_positions.push_back(position_key(ring[k]));
            slot += static_cast<std::uint32_t>(ring.size() - 1);
        }
    }
    std::sort(pinned_positions.begin(), pinned_positions.end());
    pinned_positions.erase(std::unique(pinned_positions.begin(), pinned_positions.end()), pinned_positions.end());

    std::vector<std::vector<std::vector<bool>>> pins(features.size());
    for (std::size_t f = 0; f < features.size(); ++f) {
        for (const auto& ring : *features[f]) {
            std::vector<bool> ring_pins(ring.size());
            for (std::size_t k = 0; k < ring.size(); ++k)
                ring_pins[k] = std::binary_search(pinned_positions.begin(), pinned_positions.end(), position_key(ring[k]));
            pins[f].push_back(std::move(ring_pins));
        }
    }
    return pins;
}

}  // namespace tolm::engine::detail
