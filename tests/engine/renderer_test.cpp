// The renderer is checked through the Cairo painter, which only the Linux build has.
#ifndef _WIN32

#include "engine/renderer.h"

#include "engine/pack/pack_writer.h"
#include "engine/sample_features.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"

#include <gtest/gtest.h>

#include <set>

namespace tolm::engine {
namespace {

using platform::Colour;

std::uint32_t rgb_of(std::int32_t bgr) { return Colour::from_bgr(static_cast<std::uint32_t>(bgr)).argb; }

class RendererTest : public ::testing::Test {
protected:
    RendererTest() : m_bytes(build_pack(testing::sample_features())) {
        m_pack = std::make_unique<PackView>(std::span(reinterpret_cast<const std::byte*>(m_bytes.data()), m_bytes.size()), "sample");
        m_packs.push_back(m_pack.get());
    }

    platform::RasterSurface paint(const MapView& view, const MapStyle& style, bool monochrome = false) {
        platform::RasterSurface surface(view.width(), view.height(), 0xFF123456u);
        platform::CairoPainter painter(surface);
        m_renderer.paint(painter, view, m_packs, style, monochrome);
        return surface;
    }
    std::uint32_t at(const platform::RasterSurface& s, const MapView& view, double lon, double lat) {
        return s.pixel(static_cast<std::int32_t>(view.to_pixel_x(lon)), static_cast<std::int32_t>(view.to_pixel_y(lat)));
    }

    std::string m_bytes;
    std::unique_ptr<PackView> m_pack;
    std::vector<const PackView*> m_packs;
    Renderer m_renderer;
};

TEST_F(RendererTest, LandInsideStatesSeaOutsideLakesInWaterColour) {
    MapView view;
    view.set_size(400, 300);
    view.show_rectangle(-103, 41, -97, 37);
    MapStyle style;
    style.shade_states = style.shade_counties = false;
    const auto surface = paint(view, style);
    EXPECT_EQ(at(surface, view, -101.3, 38.3), rgb_of(style.colour(ids::COLOUR_LAND)));
    EXPECT_EQ(at(surface, view, -102.7, 40.7), rgb_of(style.colour(ids::COLOUR_WATER))) << "outside every state";
    EXPECT_EQ(at(surface, view, -99.75, 38.25), rgb_of(style.colour(ids::COLOUR_WATER))) << "the lake";
}

TEST_F(RendererTest, ShadingTintsStatesAndCountyBoundariesAreDrawnWhereTheyLie) {
    MapView view;
    view.set_size(400, 300);
    view.show_rectangle(-102.2, 40.2, -97.8, 37.8);
    MapStyle plain;
    plain.shade_states = plain.shade_counties = false;
    MapStyle shaded;
    const auto a = paint(view, plain);
    const auto b = paint(view, shaded);
    EXPECT_NE(at(a, view, -101.5, 38.5), at(b, view, -101.5, 38.5));
    // The county line between Alpha and Beta at longitude -101 is darker than the land either side.
    const auto line = at(a, view, -101.0, 38.5);
    EXPECT_NE(line, rgb_of(plain.colour(ids::COLOUR_LAND)));
}

TEST_F(RendererTest, MonochromePaintsOnlyBlackWhiteAndGreys) {
    MapView view;
    view.set_size(300, 300);
    view.show_rectangle(-100.25, 40.05, -99.95, 39.85);
    const auto surface = paint(view, MapStyle{}, true);
    for (std::int32_t y = 0; y < surface.height(); y += 3)
        for (std::int32_t x = 0; x < surface.width(); x += 3) {
            const std::uint32_t p = surface.pixel(x, y);
            const auto r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            ASSERT_TRUE(r == g && g == b) << "colour at " << x << "," << y << ": " << std::hex << p;
        }
}

TEST_F(RendererTest, StreetViewDrawsRoadsInTheirClassColours) {
    MapView view;
    view.set_size(600, 400);
    view.centre_on(-100.15, 39.95);
    view.set_zoom(15);
    MapStyle style;
    style.shade_places = false;
    const auto surface = paint(view, style);
    // Street 0 (interstate) runs along latitude 39.90, outside this view; street 5 (interstate) at 39.95.
    std::set<std::uint32_t> along;
    for (double lon = -100.16; lon < -100.14; lon += 0.001) along.insert(at(surface, view, lon, 39.95));
    EXPECT_TRUE(along.count(rgb_of(style.colour(ids::COLOUR_INTERSTATE)))) << "interstate fill colour on the road";
}

TEST_F(RendererTest, ZoomedFarIntoALargeAreaStillFillsIt) {
    // At the closest zoom a state's outline lies millions of pixels away; it must be clipped, not
    // handed to the painter as is.
    MapView view;
    view.set_size(200, 200);
    view.centre_on(-101.3, 38.3);
    view.set_zoom(21);
    MapStyle style;
    style.shade_states = style.shade_counties = false;
    const auto surface = paint(view, style);
    EXPECT_EQ(surface.pixel(100, 100), rgb_of(style.colour(ids::COLOUR_LAND)));
    EXPECT_EQ(surface.pixel(3, 197), rgb_of(style.colour(ids::COLOUR_LAND)));
}

TEST_F(RendererTest, EmptyDataPaintsPlainLand) {
    m_packs.clear();
    MapView view;
    view.set_size(50, 40);
    const auto surface = paint(view, MapStyle{});
    EXPECT_EQ(surface.pixel(25, 20), rgb_of(MapStyle{}.colour(ids::COLOUR_LAND)));
}

}  // namespace
}  // namespace tolm::engine

#endif  // _WIN32
