// The outlines of areas that tile the map: each border the two sides share is drawn once, and
// every border is drawn.
#include "engine/renderer.h"

#include "engine/pack/pack_writer.h"
#include "engine/sample_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tolm::engine {
namespace {

using Spot = std::pair<long, long>;  // a point in whole hundredths of a pixel
using Side = std::pair<Spot, Spot>;  // its two ends, the lesser first

Side side_of(Spot a, Spot b) { return a < b ? Side{a, b} : Side{b, a}; }

// Keeps, for each stroke, the straight pieces of its path and the style it was stroked in.
class StrokeRecorder : public platform::Painter {
public:
    struct Stroke {
        platform::StrokeStyle style;
        std::vector<Side> sides;
    };
    void set_antialias(bool) override {}
    void clear(platform::Colour) override {}
    void move_to(double x, double y) override { m_last = spot(x, y), m_first = m_last; }
    void line_to(double x, double y) override {
        const Spot next = spot(x, y);
        if (next != m_last) m_sides.push_back(side_of(m_last, next));
        m_last = next;
    }
    void close_path() override { line_to(m_first.first / 100.0, m_first.second / 100.0); }
    void fill(platform::Colour colour) override {
        fills.push_back({colour, std::move(m_sides), {}});
        m_sides.clear();
    }
    // A shaded fill keeps the sides given, each with its area's shade and what lies beyond it;
    // sides left to the area beyond are not given.
    void begin_shaded(double x, double y, std::uint8_t shade) override {
        move_to(x, y);
        m_shade = shade;
    }
    void shaded_lines_to(std::span<const platform::PathPoint> points, std::span<const std::uint8_t> beyond) override {
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Spot next = spot(points[i].x, points[i].y);
            if (next != m_last && beyond[i] != platform::k_edge_left_out) {
                m_sides.push_back(side_of(m_last, next));
                m_shades.push_back({m_shade, beyond[i]});
            }
            m_last = next;
        }
    }
    void fill_shades(std::span<const platform::Colour> colours) override {
        fills.push_back({colours[0], std::move(m_sides), std::move(m_shades)});
        m_sides.clear();
        m_shades.clear();
    }
    void fill_and_stroke(platform::Colour, const platform::StrokeStyle&) override { m_sides.clear(); }
    void stroke(const platform::StrokeStyle& style) override {
        strokes.push_back({style, std::move(m_sides)});
        m_sides.clear();
    }
    platform::TextExtent measure_text(std::string_view text, const platform::TextStyle&) override {
        return {7.0 * static_cast<double>(text.size()), 12, 9};
    }
    void draw_text(double, double, double, std::string_view, const platform::TextStyle&) override {}
    void draw_image(const platform::ImageView&, double, double, double, double) override {}
    void flush() override {}

    std::vector<Stroke> strokes;
    struct Fill {
        platform::Colour colour;
        std::vector<Side> sides;
        std::vector<std::pair<std::uint8_t, std::uint8_t>> shades;  // of a shaded fill, by side: own, beyond
    };
    std::vector<Fill> fills;

private:
    static Spot spot(double x, double y) { return {std::lround(x * 100), std::lround(y * 100)}; }
    Spot m_first{}, m_last{};
    std::vector<Side> m_sides;
    std::uint8_t m_shade = 0;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> m_shades;
};

// A state of three by three counties. The middle county's top bends where the county above it
// runs straight, so the two sides of that border are not the same edges, and both are drawn.
FeatureSet county_grid() {
    FeatureSet set;
    set.areas.push_back({AreaKind::state, "Gridland", "93", "GL", {testing::square(-102, 37, 3)}});
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double west = -102 + column, south = 37 + row;
            Ring ring = testing::square(west, south, 1);
            if (row == 1 && column == 1) ring = {{west, south}, {west + 1, south}, {west + 1, south + 1}, {west + 0.5, south + 0.9}, {west, south + 1}, {west, south}};
            // Appended, not added: GCC 12 at -O3 takes a literal plus a temporary for an overlapping copy.
            std::string name = "C", code = "93";
            name += std::to_string(row * 3 + column);
            code += std::to_string(100 + row * 3 + column);
            set.areas.push_back({AreaKind::county, name, code, "GL", {ring}});
        }
    }
    return set;
}

class RendererBorders : public ::testing::Test {
protected:
    RendererBorders() : m_bytes(build_pack(county_grid())) {
        m_pack = std::make_unique<PackView>(std::span(reinterpret_cast<const std::byte*>(m_bytes.data()), m_bytes.size()), "grid");
    }

    // The county line stroke of a paint of the view.
    StrokeRecorder::Stroke county_lines(const MapView& view, bool shaded = true) {
        StrokeRecorder recorder;
        const PackView* packs[] = {m_pack.get()};
        MapStyle style;
        style.shade_counties = shaded;
        Renderer renderer;
        renderer.paint(recorder, view, packs, style, false);
        const platform::Colour colour = platform::Colour::from_bgr(static_cast<std::uint32_t>(style.colour(ids::COLOUR_COUNTY_LINES)));
        for (auto& stroke : recorder.strokes)
            if (stroke.style.colour.argb == colour.argb && stroke.style.width < 1) return stroke;
        ADD_FAILURE() << "no county lines";
        return {};
    }
    // Every side of every county ring, in the view's pixels.
    static std::vector<Side> ring_sides(const MapView& view) {
        std::vector<Side> sides;
        for (const AreaFeature& area : county_grid().areas) {
            if (area.kind != AreaKind::county) continue;
            const Ring& ring = area.rings[0];
            auto spot = [&](const LonLat& p) { return Spot{std::lround(view.to_pixel_x(p.lon) * 100), std::lround(view.to_pixel_y(p.lat) * 100)}; };
            for (std::size_t i = 0; i + 1 < ring.size(); ++i) sides.push_back(side_of(spot(ring[i]), spot(ring[i + 1])));
        }
        return sides;
    }

    std::string m_bytes;
    std::unique_ptr<PackView> m_pack;
};

TEST_F(RendererBorders, EachSharedBorderIsDrawnOnceAndEveryOtherSideAsBefore) {
    MapView view;
    view.set_size(600, 500);
    view.show_rectangle(-102.5, 40.5, -98.5, 36.5);
    ASSERT_GE(view.zoom(), 4.5) << "county lines are drawn";
    const auto lines = county_lines(view);
    EXPECT_EQ(lines.style.cap, platform::LineCap::round) << "pieces of a ring meet as its joints would";

    const std::vector<Side> expected = ring_sides(view);
    const std::set<Side> distinct(expected.begin(), expected.end());
    // 36 sides of nine squares, one of them bent in two; twelve inner borders of the grid, one of
    // them not shared since the two sides differ: 37 - 11 sides to draw.
    ASSERT_EQ(expected.size(), 37u);
    ASSERT_EQ(distinct.size(), 26u);
    std::multiset<Side> drawn(lines.sides.begin(), lines.sides.end());
    for (const Side& side : distinct) EXPECT_EQ(drawn.count(side), 1u) << "side " << side.first.first << "," << side.first.second;
    EXPECT_EQ(drawn.size(), distinct.size()) << "nothing drawn but the sides";
}

TEST(RendererShading, ABorderIsGivenOnceWithTheShadeBeyondAndNotAtAllBetweenNeighboursShadedAlike) {
    // Two counties side by side, with codes tried until one pair shares a shading colour and
    // another does not. The shaded fill holds each outer side of the two once, and their border
    // once with the other county's shade beyond it, or not at all when they are shaded alike.
    bool saw_same = false, saw_different = false;
    for (int code = 2; code < 40 && !(saw_same && saw_different); ++code) {
        FeatureSet set;
        set.areas.push_back({AreaKind::state, "Pairland", "94", "PL", {testing::square(-102, 37, 2)}});
        std::string second = "94";
        second += std::to_string(100 + code);
        set.areas.push_back({AreaKind::county, "West", "94101", "PL", {testing::square(-102, 37, 1)}});
        set.areas.push_back({AreaKind::county, "East", second, "PL", {testing::square(-101, 37, 1)}});
        const std::string bytes = build_pack(set);
        const PackView pack(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "pair");
        const PackView* packs[] = {&pack};
        MapView view;
        view.set_size(500, 400);
        view.show_rectangle(-102.5, 38.5, -100.5, 36.5);
        MapStyle style;
        style.shade_states = false;
        StrokeRecorder recorder;
        Renderer renderer;
        renderer.paint(recorder, view, packs, style, false);

        auto spot = [&](double lon, double lat) { return Spot{std::lround(view.to_pixel_x(lon) * 100), std::lround(view.to_pixel_y(lat) * 100)}; };
        const Side border = side_of(spot(-101, 37), spot(-101, 38)), west_side = side_of(spot(-102, 37), spot(-102, 38));
        const StrokeRecorder::Fill* counties = nullptr;
        for (const auto& fill : recorder.fills)
            if (std::count(fill.sides.begin(), fill.sides.end(), west_side) != 0) counties = &fill;
        ASSERT_NE(counties, nullptr);
        ASSERT_EQ(counties->shades.size(), counties->sides.size()) << "the counties are one shaded fill";
        std::set<std::uint8_t> shades;
        for (const auto& [own, beyond] : counties->shades) shades.insert(own);
        const auto given = std::find(counties->sides.begin(), counties->sides.end(), border);
        if (shades.size() == 1) {
            saw_same = true;
            EXPECT_EQ(given, counties->sides.end()) << "code " << second;
            EXPECT_EQ(counties->sides.size(), 6u) << "the six outer sides of the pair, each once";
        } else {
            saw_different = true;
            ASSERT_NE(given, counties->sides.end()) << "code " << second;
            const auto [own, beyond] = counties->shades[std::size_t(given - counties->sides.begin())];
            EXPECT_NE(own, beyond);
            EXPECT_TRUE(shades.count(beyond)) << "the other county's shade lies beyond";
            EXPECT_EQ(std::count(counties->sides.begin(), counties->sides.end(), border), 1) << "given by one of the two";
            EXPECT_EQ(counties->sides.size(), 7u);
        }
        for (std::size_t i = 0; i < counties->sides.size(); ++i)
            if (counties->sides[i] != border) {
                EXPECT_EQ(counties->shades[i].second, platform::k_edge_alone);
            }
    }
    EXPECT_TRUE(saw_same);
    EXPECT_TRUE(saw_different);
}

// Paints two counties side by side, the east one's code ending in `code`, and gives the fills that
// hold either county's outer side.
struct PairFills {
    std::vector<std::multiset<Side>> fills;
    Side border;
};
PairFills paint_pair(int code, double west, double north, double east, double south, platform::Painter* painter = nullptr) {
    // No state: every mark a paint takes is the counties'.
    FeatureSet set;
    std::string second = "94";
    second += std::to_string(100 + code);
    set.areas.push_back({AreaKind::county, "West", "94101", "PL", {{{-104, 37}, {-101, 37}, {-101, 38}, {-104, 38}, {-104, 37}}}});
    set.areas.push_back({AreaKind::county, "East", second, "PL", {{{-101, 37}, {-100.7, 37}, {-100.7, 38}, {-101, 38}, {-101, 37}}}});
    const std::string bytes = build_pack(set);
    const PackView pack(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "pair");
    const PackView* packs[] = {&pack};
    MapView view;
    view.set_size(500, 400);
    view.show_rectangle(west, north, east, south);
    MapStyle style;
    style.shade_states = false;
    StrokeRecorder recorder;
    static Renderer renderer;  // one renderer for every paint, as the engine keeps it
    try {
        renderer.paint(painter ? *painter : recorder, view, packs, style, false);
    } catch (const std::runtime_error&) {
    }
    auto spot = [&](double lon, double lat) { return Spot{std::lround(view.to_pixel_x(lon) * 100), std::lround(view.to_pixel_y(lat) * 100)}; };
    PairFills result{{}, side_of(spot(-101, 37), spot(-101, 38))};
    const Side east_side = side_of(spot(-100.7, 37), spot(-100.7, 38));
    for (const auto& fill : recorder.fills) {
        std::multiset<Side> sides(fill.sides.begin(), fill.sides.end());
        if (sides.count(east_side)) result.fills.push_back(std::move(sides));
    }
    return result;
}

// Fails in the counties' fill, the paint's only one, once their shades are marked, as a paint cut
// short by an error would.
class FailingFill : public StrokeRecorder {
public:
    void begin_shaded(double, double, std::uint8_t) override { throw std::runtime_error("the fill failed"); }
};

TEST(RendererShading, APaintCutShortLeavesNoMarkForTheNext) {
    // A code whose county shares the west one's colour: their border is left out of their fill.
    int code = 2;
    for (; code < 40; ++code)
        if (const PairFills pair = paint_pair(code, -104.5, 38.5, -100.5, 36.5); pair.fills.size() == 1 && pair.fills[0].count(pair.border) == 0)
            break;
    ASSERT_LT(code, 40);
    // A paint that fails in the counties' fill, after their marks were taken.
    FailingFill failing;
    paint_pair(code, -104.5, 38.5, -100.5, 36.5, &failing);
    // Close in on the border: the west county runs far beyond the map and is drawn whole, so the
    // east one must keep its side of the border, or its fill would run open to the right.
    const PairFills close = paint_pair(code, -101.02, 37.52, -100.97, 37.48);
    ASSERT_EQ(close.fills.size(), 1u);
    EXPECT_EQ(close.fills[0].count(close.border), 1u);
}

TEST_F(RendererBorders, TheLinesAreTheSameWhenTheyAreWorkedOutWithTheShadingAndWithout) {
    // Shaded, the counties' lines come from the walk round their rings that fills them; unshaded,
    // from a walk of their own. Both in full view and cut by the edge of the map.
    for (const auto& corners : {std::array{-102.5, 40.5, -98.5, 36.5}, std::array{-101.6, 39.6, -98.6, 36.6}}) {
        MapView view;
        view.set_size(600, 500);
        view.show_rectangle(corners[0], corners[1], corners[2], corners[3]);
        const auto shaded = county_lines(view, true), plain = county_lines(view, false);
        EXPECT_EQ(std::multiset<Side>(shaded.sides.begin(), shaded.sides.end()), std::multiset<Side>(plain.sides.begin(), plain.sides.end()));
        EXPECT_FALSE(shaded.sides.empty());
    }
}

TEST_F(RendererBorders, AreasCutByTheEdgeOfTheMapAreDrawnWholeAndLeaveNoBorderUndrawn) {
    // The left and top counties run out of the view; only part of the grid is inside.
    MapView view;
    view.set_size(500, 500);
    view.show_rectangle(-101.6, 39.6, -98.6, 36.6);
    const auto lines = county_lines(view);
    const std::set<Side> drawn(lines.sides.begin(), lines.sides.end());
    int checked = 0;
    const double width = view.width(), height = view.height();
    for (const Side& side : ring_sides(view)) {
        // Sides wholly inside the picture are drawn as they are; a clipped area's sides may be cut.
        const auto inside = [&](const Spot& s) { return s.first >= 0 && s.first <= width * 100 && s.second >= 0 && s.second <= height * 100; };
        if (inside(side.first) && inside(side.second)) {
            EXPECT_EQ(drawn.count(side), 1u) << side.first.first << "," << side.first.second;
            ++checked;
        }
    }
    EXPECT_GE(checked, 10);
}

}  // namespace
}  // namespace tolm::engine
