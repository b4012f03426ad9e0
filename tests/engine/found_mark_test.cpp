#include "engine/found_mark.h"

#include "engine/engine_dispatch.h"
#include "engine/engine_ids.h"
#include "engine/map_engine.h"
#include "engine/pack/pack_writer.h"
#include "engine/sample_features.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#ifndef _WIN32
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tolm::engine {
namespace {

using platform::Colour;

// The sample region, with an independent city beside the county of the same name, as the Census
// has Baltimore and Baltimore County.
FeatureSet marked_features() {
    FeatureSet set = testing::sample_features();
    set.areas.push_back({AreaKind::county, "Baltimore", "92005", "EL", {testing::square(-98.5, 39.0, 0.9)}});
    set.areas.push_back({AreaKind::county, "Baltimore", "92510", "EL", {testing::square(-98.2, 38.2, 0.1)}});
    return set;
}

// A box as the county search shows one: the area's own box grown by a fiftieth on each side.
Extent grown(double west, double south, double size) {
    const double d = size / 50;
    return {west - d, west + size + d, south - d, south + size + d};
}

class FoundMarkTest : public ::testing::Test {
protected:
    FoundMarkTest() : m_bytes(build_pack(marked_features())) {
        m_pack = std::make_unique<PackView>(std::span(reinterpret_cast<const std::byte*>(m_bytes.data()), m_bytes.size()), "sample");
        m_packs.push_back(m_pack.get());
    }

    std::string code_of(AreaKind kind, std::string_view name, std::string_view state, const Extent& box) const {
        const auto area = detail::find_region(m_packs, kind, name, state, box);
        return area ? std::string(area->code) : "none";
    }

    std::string m_bytes;
    std::unique_ptr<PackView> m_pack;
    std::vector<const PackView*> m_packs;
};

TEST_F(FoundMarkTest, RegionsAreFoundByNameStateAndBox) {
    EXPECT_EQ(code_of(AreaKind::state, "eastland", "", grown(-100, 38, 2)), "92") << "names compare in any case";
    EXPECT_EQ(code_of(AreaKind::county, "Gamma", "EL", grown(-100, 39, 1)), "92001");
    EXPECT_EQ(code_of(AreaKind::county, "Gamma", "WL", grown(-100, 39, 1)), "none") << "not in that state";
    EXPECT_EQ(code_of(AreaKind::state, "Gamma", "", grown(-100, 39, 1)), "none") << "a county is no state";
    // The independent city and the county of one name: the box tells them apart.
    EXPECT_EQ(code_of(AreaKind::county, "Baltimore (city)", "EL", grown(-98.2, 38.2, 0.1)), "92510");
    EXPECT_EQ(code_of(AreaKind::county, "Baltimore", "EL", grown(-98.5, 39.0, 0.9)), "92005");
    // A name the boundary data spells otherwise: the area that covers the searched box.
    EXPECT_EQ(code_of(AreaKind::county, "Beta County", "WL", grown(-101, 38, 1)), "91002");
    EXPECT_EQ(code_of(AreaKind::county, "Nowhere", "WL", grown(-120, 30, 1)), "none");
    // Overlapping a county by a corner is not being it.
    EXPECT_EQ(code_of(AreaKind::county, "Nowhere", "WL", grown(-101.6, 38.6, 1)), "none");
}

TEST(NamesInterstate, TakesTheSpellingsOfBothSources) {
    for (const char* text : {"I 20", "I-20", "I- 20", "I20", "i 20", "US 80;I 20", "Interstate 20", "IH 20", " I 20 "})
        EXPECT_TRUE(detail::names_interstate(text, "20")) << text;
    for (const char* text : {"I 205", "I 2", "US 20", "SR 20", "I- 20 Svc Rd", "", "I"})
        EXPECT_FALSE(detail::names_interstate(text, "20")) << text;
    EXPECT_TRUE(detail::names_interstate("I 35E", "35e"));
    EXPECT_FALSE(detail::names_interstate("I 20", ""));
}

TEST_F(FoundMarkTest, TheMileMarkerDotIsWhereTheLineCrossesItsInterstate) {
    // The sample's interstate "I 99" runs east-west at 39.90 and 39.95 from -100.2 to -100.0.
    const Extent box{-100.5, -99.8, 39.5, 40.4};
    const auto crossing = detail::find_line_crossing(m_packs, "99", -100.15, false, box);
    ASSERT_TRUE(crossing);
    EXPECT_DOUBLE_EQ(crossing->lon, -100.15);
    EXPECT_NEAR(crossing->lat, 39.95, 1e-6) << "the crossing nearest the box's middle";
    EXPECT_FALSE(detail::find_line_crossing(m_packs, "98", -100.15, false, box)) << "another interstate";
    EXPECT_FALSE(detail::find_line_crossing(m_packs, "99", -100.5, false, box)) << "a line past the road's end";
    EXPECT_FALSE(detail::find_line_crossing(m_packs, "99", -100.15, false, {-100.5, -99.8, 40.0, 40.4})) << "outside the box";
}

TEST(FoundMarkDispatch, MarksAndClearsThroughTheEnginesIdsWithoutMovingTheView) {
    auto engine = std::make_shared<MapEngine>();
    engine->view().set_size(200, 100);
    const Extent before = engine->view().extent();
    EngineDispatch dispatch(engine);
    auto call = [&](DispId id, Arguments args) { return dispatch.invoke(id, InvokeKind::method, args); };
    call(ids::MARK_REGION, {Variant(std::int32_t{1}), Variant("Travis"), Variant("TX"), Variant(-98.2), Variant(30.6),
                            Variant(-97.4), Variant(30.0)});
    EXPECT_EQ(engine->found_mark().box, (Extent{-98.2, -97.4, 30.0, 30.6})) << "corners in either order";
    EXPECT_EQ(call(ids::FOUND_MARK_KIND, {}).to_int32(), 3);
    call(ids::MARK_MILE_MARKER, {Variant("TX"), Variant("20"), Variant(-104.0), Variant::boolean(false), Variant(-107.0),
                                 Variant(36.5), Variant(-101.0), Variant(25.8)});
    EXPECT_EQ(engine->found_mark().road, "20");
    call(ids::CLEAR_FOUND_MARK, {});
    EXPECT_EQ(engine->found_mark().kind, FoundMarkKind::none);
    EXPECT_THROW(call(ids::MARK_REGION, {Variant(std::int32_t{2}), Variant("X"), Variant(""), Variant(0.0), Variant(0.0),
                                         Variant(1.0), Variant(1.0)}),
                 RuntimeError)
        << "no third kind of region";
    EXPECT_EQ(engine->view().extent(), before);
}

#ifndef _WIN32

class MarkedPaintTest : public FoundMarkTest {
protected:
    platform::RasterSurface paint(const MapView& view, const MarkOnMap* mark, bool monochrome = false) {
        platform::RasterSurface surface(view.width(), view.height(), 0xFF123456u);
        platform::CairoPainter painter(surface);
        m_renderer.paint(painter, view, m_packs, MapStyle{}, monochrome, Renderer::Layers{nullptr, nullptr, mark});
        return surface;
    }
    static int count(const platform::RasterSurface& s, std::uint32_t argb) {
        int n = 0;
        for (std::int32_t y = 0; y < s.height(); ++y)
            for (std::int32_t x = 0; x < s.width(); ++x) n += s.pixel(x, y) == argb;
        return n;
    }
    Renderer m_renderer;
};

TEST_F(MarkedPaintTest, APlaceFoundWhereThePinStandsKeepsItsName) {
    // Midtown, a place of the sample at 100.1 W, 39.95 N, found and pinned on its own point: its
    // name moves beside the tip rather than being left out.
    MapView view;
    view.set_size(320, 240);
    view.centre_on(-100.1, 39.95);
    view.set_zoom(11);
    MarkOnMap mark;
    mark.point_kind = MarkOnMap::Point::pin;
    mark.point = {-100.1, 39.95};
    const auto marked = paint(view, &mark);
    const double x = view.to_pixel_x(-100.1), y = view.to_pixel_y(39.95);
    const std::uint32_t text = Colour::from_bgr(static_cast<std::uint32_t>(MapStyle{}.colour(ids::COLOUR_LABEL_TEXT))).argb;
    int letters = 0;
    for (std::int32_t py = std::int32_t(y - 8); py <= std::int32_t(y + 8); ++py)
        for (std::int32_t px = std::int32_t(x + 5); px < std::int32_t(x + 70); ++px) letters += marked.pixel(px, py) == text;
    EXPECT_GT(letters, 10) << "no name to the right of the tip";
    // A client's callsign answer may hold anything: a point off the earth is not marked.
    FoundMark wild;
    wild.kind = FoundMarkKind::pin;
    wild.point = {1e10, 39.95};
    EXPECT_EQ(locate_found_mark(wild, m_packs).point_kind, MarkOnMap::Point::none);
}

TEST_F(MarkedPaintTest, TheEnginesMarkShowsAtPaintAndGoesWhenCleared) {
    // Through the engine with its packs read from a folder, as the server uses it.
    const tolm::test::ScratchFolder scratch("found-mark");
    const std::filesystem::path folder = scratch.path();
    write_pack(marked_features(), (folder / "sample.pack").string());
    MapEngine engine;
    engine.set_data_folder(DataFolder::states, folder.string());
    engine.view().set_size(200, 150);
    engine.view().show_rectangle(-102.5, 40.5, -97.5, 37.5);
    const Extent before = engine.view().extent();
    FoundMark county;
    county.kind = FoundMarkKind::county;
    county.name = "Gamma";
    county.state_code = "EL";
    county.box = grown(-100, 39, 1);
    engine.set_found_mark(county);
    EXPECT_TRUE(engine.found_mark_on_map().outlined);
    auto paint_engine = [&] {
        platform::RasterSurface surface(200, 150);
        platform::CairoPainter painter(surface);
        engine.paint(painter, false);
        return count(surface, k_found_mark_colour.argb);
    };
    EXPECT_GT(paint_engine(), 50);
    EXPECT_EQ(engine.view().extent(), before);
    // Data folders read again: the mark is looked for in the new packs.
    engine.set_data_folder(DataFolder::states, "");
    EXPECT_FALSE(engine.found_mark_on_map().outlined);
    engine.set_data_folder(DataFolder::states, folder.string());
    EXPECT_TRUE(engine.found_mark_on_map().outlined);
    engine.clear_found_mark();
    EXPECT_EQ(paint_engine(), 0);
}

#endif  // _WIN32

}  // namespace
}  // namespace tolm::engine
