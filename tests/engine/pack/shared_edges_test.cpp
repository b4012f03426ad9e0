#include "engine/pack/shared_edges.h"

#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"
#include "engine/sample_features.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tolm::engine {
namespace {

using testing::square;

// For each edge of the full-detail county table, written as "holder: from -> to", the name of the
// other feature that holds it, or "" where none does.
std::map<std::string, std::string> others_of(const FeatureSet& set) {
    const std::string bytes = build_pack(set);
    const PackView view(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "test");
    const GeometryTable& table = view.geometry(pack::GeometryLayer::county, pack::k_band_count - 1);
    const SharedEdges& shared = view.shared_edges(pack::GeometryLayer::county, pack::k_band_count - 1);
    EXPECT_EQ(&shared, &view.shared_edges(pack::GeometryLayer::county, pack::k_band_count - 1)) << "worked out once";
    auto name = [&](std::uint32_t feature) { return std::string(view.area(table.attribute(feature)).name); };
    std::map<std::string, std::string> result;
    for (std::uint32_t f = 0; f < table.size(); ++f) {
        for (std::uint32_t r = 0; r < table.ring_count(f); ++r) {
            const PointRun run = table.ring(f, r);
            for (std::uint32_t i = 0; i + 1 < run.size(); ++i) {
                const LonLat a = run.lon_lat(i), b = run.lon_lat(i + 1);
                std::string key = name(f);
                for (const std::string& part : {std::string(": "), std::to_string(a.lon), std::string(","), std::to_string(a.lat),
                                                std::string(" -> "), std::to_string(b.lon), std::string(","), std::to_string(b.lat)})
                    key += part;
                const std::uint32_t other = shared.other_feature(table.first_point(f, r) + i);
                result[key] = other == SharedEdges::k_none ? "" : name(other);
            }
        }
    }
    return result;
}

TEST(SharedEdges, ABorderIsKnownFromBothSidesAndNothingElseIs) {
    FeatureSet set;
    set.areas.push_back({AreaKind::county, "West", "01001", "", {square(-102, 38, 1)}});
    set.areas.push_back({AreaKind::county, "East", "01003", "", {square(-101, 38, 1)}});
    const auto others = others_of(set);
    ASSERT_EQ(others.size(), 8u);
    int shared = 0;
    for (const auto& [edge, other] : others) {
        const bool on_border = edge.find("-101.000000,38.000000") != std::string::npos &&
                               edge.find("-101.000000,39.000000") != std::string::npos;
        EXPECT_EQ(other.empty(), !on_border) << edge;
        if (on_border) {
            EXPECT_NE(edge.substr(0, other.size()), other) << "the other side, not itself: " << edge;
            ++shared;
        }
    }
    EXPECT_EQ(shared, 2) << "once from each side";
}

TEST(SharedEdges, OnlyExactBordersOfTwoDifferentFeaturesCount) {
    FeatureSet set;
    // The middle one's left side bends where its neighbour's right side runs straight: no edge matches.
    set.areas.push_back({AreaKind::county, "Left", "01001", "", {square(-103, 38, 1)}});
    set.areas.push_back({AreaKind::county, "Middle", "01003", "", {{{-102, 38}, {-101, 38}, {-101, 39}, {-102, 39}, {-102.05, 38.5}, {-102, 38}}}});
    // One feature of two rings side by side: its inner side is its own business.
    set.areas.push_back({AreaKind::county, "Pair", "01005", "", {square(-100, 38, 1), square(-99, 38, 1)}});
    // Three features over one side: no border of two areas, so every holder keeps it.
    set.areas.push_back({AreaKind::county, "Over1", "01007", "", {square(-96, 38, 1)}});
    set.areas.push_back({AreaKind::county, "Over2", "01009", "", {square(-95, 38, 1)}});
    set.areas.push_back({AreaKind::county, "Over3", "01011", "", {{{-95, 38}, {-95, 39}, {-95.5, 38.5}, {-95, 38}}}});
    for (const auto& [edge, other] : others_of(set)) EXPECT_EQ(other, "") << edge;
}

}  // namespace
}  // namespace tolm::engine
