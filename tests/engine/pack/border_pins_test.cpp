#include "engine/pack/border_pins.h"

#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"
#include "engine/pack/shared_edges.h"
#include "engine/pack/simplify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace tolm::engine {
namespace {

// A border from (-101, 38) north to (-101, 39) that wanders either side of the meridian, some of
// its bends above the coarse bands' tolerance and some below.
Ring wandering_border() {
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> wander(-0.01, 0.01);
    Ring border{{-101, 38}};
    for (int i = 1; i < 200; ++i) border.push_back({-101 + wander(random), 38 + i / 200.0});
    border.push_back({-101, 39});
    return border;
}

// The edges of each band's feature `name` that lie on `border`, and how many of them the pack
// finds shared with another feature.
struct BorderEdges {
    std::size_t on_border = 0, shared = 0;
};
BorderEdges border_edges(const PackView& view, std::uint32_t band, std::string_view name, const Ring& border) {
    const GeometryTable& table = view.geometry(pack::GeometryLayer::county, band);
    const SharedEdges& shared = view.shared_edges(pack::GeometryLayer::county, band);
    auto on_border = [&](LonLat p) {
        return std::any_of(border.begin(), border.end(), [&](const LonLat& q) { return pack::to_units(q.lon) == pack::to_units(p.lon) && pack::to_units(q.lat) == pack::to_units(p.lat); });
    };
    BorderEdges result;
    for (std::uint32_t f = 0; f < table.size(); ++f) {
        if (view.area(table.attribute(f)).name != name) continue;
        const PointRun run = table.ring(f, 0);
        for (std::uint32_t i = 0; i + 1 < run.size(); ++i) {
            if (!on_border(run.lon_lat(i)) || !on_border(run.lon_lat(i + 1))) continue;
            ++result.on_border;
            if (shared.other_feature(table.first_point(f, 0) + i) != SharedEdges::k_none) ++result.shared;
        }
    }
    return result;
}

TEST(BorderPins, ABorderStaysSharedAtEveryBandWhereverTheRingsStart) {
    const Ring border = wandering_border();
    // West runs the border northwards from its south-west corner; East southwards, starting in
    // the border's middle.
    Ring west{{-102, 38}};
    west.insert(west.end(), border.begin(), border.end());
    west.push_back({-102, 39});
    west.push_back({-102, 38});
    Ring east;
    for (std::size_t i = 77; i + 1 > 0; --i) east.push_back(border[i]);
    east.push_back({-100, 38});
    east.push_back({-100, 39});
    for (std::size_t i = border.size() - 1; i >= 77; --i) east.push_back(border[i]);
    FeatureSet set;
    set.areas.push_back({AreaKind::county, "West", "01001", "01", {west}});
    set.areas.push_back({AreaKind::county, "East", "01003", "01", {east}});
    const std::string bytes = build_pack(set);
    const PackView view(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "test");
    for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
        const BorderEdges from_west = border_edges(view, band, "West", border), from_east = border_edges(view, band, "East", border);
        EXPECT_GT(from_west.on_border, 0u) << "band " << band;
        EXPECT_EQ(from_west.shared, from_west.on_border) << "band " << band;
        EXPECT_EQ(from_east.shared, from_east.on_border) << "band " << band;
        EXPECT_EQ(from_west.on_border, from_east.on_border) << "band " << band;
    }
    // The coarse bands were simplified, each side on its own.
    EXPECT_LT(border_edges(view, 0, "West", border).on_border, border.size() / 2);
}

TEST(BorderPins, PointsWhereTheAreaAcrossChangesAndRingStartsAreKeptInEveryRingThroughThem) {
    // Left borders Low along the lower half of its east side and High along the upper half; High's
    // ring starts at a corner that Left's ring passes through mid-side.
    const Ring left = {{-102, 38}, {-101, 38}, {-101, 38.5}, {-101, 39}, {-102, 39}, {-102, 38}};
    const Ring low = {{-101, 38}, {-100, 38}, {-100, 38.5}, {-101, 38.5}, {-101, 38}};
    const Ring high = {{-101, 38.5}, {-100, 38.5}, {-100, 39}, {-101, 39}, {-101, 38.5}};
    const detail::FeatureRings left_rings{left}, low_rings{low}, high_rings{high};
    const auto pins = detail::border_pins({&left_rings, &low_rings, &high_rings});
    ASSERT_EQ(pins.size(), 3u);
    const std::vector<bool> left_kept = {true, true, true, true, false, true};
    EXPECT_EQ(pins[0][0], left_kept) << "its start, where Low begins, where High takes over, where High ends";
    // Low's far corner (-100, 38) is none either, but (-100, 38.5), where High begins, is.
    const std::vector<bool> low_kept = {true, false, true, true, true};
    EXPECT_EQ(pins[1][0], low_kept);
    // High's far corner (-100, 39) is no junction: the coast runs on round it.
    const std::vector<bool> high_kept = {true, true, false, true, true};
    EXPECT_EQ(pins[2][0], high_kept);
}

TEST(BorderPins, ASpanKeepsTheSamePointsWhicheverWayItRuns) {
    // Two bends exactly as far from the chord: whichever the walk meets first, the same one stays.
    const std::vector<LonLat> line = {{0, 0}, {3, 1}, {5, 0.2}, {7, 1}, {10, 0}};
    std::vector<LonLat> reversed(line.rbegin(), line.rend());
    const auto forwards = detail::simplify_line(line, 0.9);
    auto backwards = detail::simplify_line(reversed, 0.9);
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(forwards, backwards);
    EXPECT_EQ(forwards.size(), 3u) << "the lesser bend, and the other near its chord";
    EXPECT_EQ(forwards[1], (LonLat{3, 1}));
}

}  // namespace
}  // namespace tolm::engine
