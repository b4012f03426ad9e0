// Road names are checked through the Cairo painter, which only the Linux build has.
#ifndef _WIN32

#include "engine/renderer.h"

#include "engine/pack/pack_writer.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolm::engine {
namespace {

// A major road along latitude 40 from longitude -100.05 to -99.95, in `pieces` pieces as a street
// cut at every crossing comes, with a name far longer than any one piece.
FeatureSet cut_street(int pieces, double bend = 0) {
    FeatureSet set;
    const double west = -100.05, east = -99.95;
    for (int i = 0; i < pieces; ++i) {
        const double from = west + (east - west) * i / pieces, to = west + (east - west) * (i + 1) / pieces;
        // With a bend every other piece turns off the line, so that no two pieces run on straight.
        const double lift = (bend != 0 && i % 2) ? bend : 0;
        set.roads.push_back({RoadClass::major, "Southeast Very Long Boulevard Name", "", false, {{from, 40.0}, {to, 40.0 + lift}}});
    }
    return set;
}

// The packs drawn at street zoom around (-100, 40), 800 x 200 pixels.
platform::RasterSurface street_picture(std::span<const PackView* const> packs) {
    MapView view;
    view.set_size(800, 200);
    view.centre_on(-100.0, 40.0);
    view.set_zoom(13);
    platform::RasterSurface surface(view.width(), view.height());
    {
        platform::CairoPainter painter(surface);
        Renderer renderer;
        renderer.paint(painter, view, packs, MapStyle{}, false);
    }
    return surface;
}

// How many pixels of the picture are nearly the label text colour.
int text_pixels(const FeatureSet& features) {
    const std::string bytes = build_pack(features);
    const PackView pack(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "street");
    const PackView* packs[] = {&pack};
    const platform::RasterSurface surface = street_picture(packs);
    int dark = 0;
    for (std::int32_t y = 0; y < surface.height(); ++y)
        for (std::int32_t x = 0; x < surface.width(); ++x) {
            const std::uint32_t p = surface.pixel(x, y);
            if (((p >> 16) & 0xFF) < 0x50 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x50) ++dark;
        }
    return dark;
}

TEST(RendererLabels, AStreetCutIntoShortPiecesIsNamedAlongThePiecesTogether) {
    // Each of the twelve pieces is some 37 pixels long, the name some 200.
    EXPECT_GT(text_pixels(cut_street(12)), 40);
    EXPECT_GT(text_pixels(cut_street(1)), 40) << "the same street in one piece";
}

// Two packs whose streets' names compete for one place: which name is drawn is decided by the
// names, not by the order in which the data came (the folders, the addresses their names were kept
// at), so the same map is labelled the same way every time.
TEST(RendererLabels, CompetingNamesAreChosenTheSameWayWhateverTheOrderOfTheData) {
    FeatureSet alpha, bravo;
    alpha.roads.push_back({RoadClass::major, "Alpha Street", "", false, {{-100.05, 40.0}, {-99.95, 40.0}}});
    bravo.roads.push_back({RoadClass::major, "Bravo Street", "", false, {{-100.05, 40.0}, {-99.95, 40.0}}});
    const std::string first = build_pack(alpha), second = build_pack(bravo);
    const PackView a(std::span(reinterpret_cast<const std::byte*>(first.data()), first.size()), "alpha");
    const PackView b(std::span(reinterpret_cast<const std::byte*>(second.data()), second.size()), "bravo");
    auto paint = [](std::initializer_list<const PackView*> order) {
        const std::vector<const PackView*> packs(order);
        const platform::RasterSurface surface = street_picture(packs);
        return std::vector<std::uint32_t>(surface.pixels(), surface.pixels() + surface.width() * surface.height());
    };
    EXPECT_TRUE(paint({&a, &b}) == paint({&b, &a}));
}

TEST(RendererLabels, PiecesThatDoNotRunOnInOneLineAreNotJoined) {
    // Every other piece climbs away from the line: no straight run is long enough for the name.
    EXPECT_EQ(text_pixels(cut_street(12, 0.004)), 0);
}

// Roads along latitude 40 at street zoom, one after the other a little further north.
FeatureSet roads_named(std::initializer_list<std::pair<std::string, std::string>> names_and_refs) {
    FeatureSet set;
    double lat = 39.994;
    for (const auto& [name, ref] : names_and_refs) {
        set.roads.push_back({RoadClass::major, name, ref, false, {{-100.05, lat}, {-99.95, lat}}});
        lat += 0.004;
    }
    return set;
}

TEST(RendererLabels, BadNamesAreLeftOutAndTheNamesAfterThemStillDrawn) {
    // "Oak Street" alone in the same place: the names before it are the only difference.
    const int good = text_pixels(roads_named({{"", ""}, {"Oak Street", ""}}));
    ASSERT_GT(good, 5);
    // Text that is not UTF-8 would put the painter's text out of action for the rest of the process.
    EXPECT_EQ(text_pixels(roads_named({{"Caf\xE9 \xFF\xFE Street", ""}, {"Oak Street", ""}})), good);
    EXPECT_EQ(text_pixels(roads_named({{"Tab\tStreet", ""}, {"Oak Street", ""}})), good);
    // Names in any script are drawn or left out, never a fault.
    EXPECT_GE(text_pixels(roads_named({{"Улица Ленина", ""}, {"中山路", ""}, {"شارع الملك", ""}, {"Oak Street", ""}})),
              text_pixels(roads_named({{"", ""}, {"", ""}, {"", ""}, {"Oak Street", ""}})));
    EXPECT_EQ(text_pixels(roads_named({{"", ""}, {"Oak Street", ""}})), good) << "text still works afterwards";
}

TEST(RendererLabels, ANameOrRouteNumberWiderThanThePictureIsLeftOut) {
    const std::string long_ref(1000, '9');
    const std::string long_name = "Very " + std::string(400, 'L') + " Street";
    EXPECT_EQ(text_pixels(roads_named({{long_name, ""}})), 0);
    EXPECT_EQ(text_pixels(roads_named({{"", long_ref}})), 0);
    EXPECT_EQ(text_pixels(roads_named({{"", "I " + long_ref + ";US " + long_ref}})), 0);
}

}  // namespace
}  // namespace tolm::engine

#endif  // _WIN32
