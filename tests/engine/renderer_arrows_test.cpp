// One-way arrows are checked through the Cairo painter, which only the Linux build has.
#ifndef _WIN32

#include "engine/renderer.h"

#include "engine/pack/pack_writer.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"

#include <gtest/gtest.h>

namespace tolm::engine {
namespace {

RoadFeature road(RoadClass road_class, std::string name, bool oneway, Polyline points) {
    RoadFeature r;
    r.road_class = road_class;
    r.name = std::move(name);
    r.oneway = oneway;
    r.points = std::move(points);
    return r;
}

// How many pixels of a street view of the roads are the arrows' colour.
int arrow_pixels(const FeatureSet& features) {
    const std::string bytes = build_pack(features);
    const PackView pack(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "street");
    const PackView* packs[] = {&pack};
    MapView view;
    view.set_size(600, 300);
    view.centre_on(-100.0, 40.0);
    view.set_zoom(16);
    platform::RasterSurface surface(view.width(), view.height());
    {
        platform::CairoPainter painter(surface);
        Renderer renderer;
        renderer.paint(painter, view, packs, MapStyle{}, false);
    }
    const std::uint32_t arrow = platform::Colour::from_bgr(static_cast<std::uint32_t>(MapStyle{}.colour(ids::COLOUR_ONEWAY_ARROWS))).argb;
    int count = 0;
    for (std::int32_t y = 0; y < view.height(); ++y)
        for (std::int32_t x = 0; x < view.width(); ++x) count += surface.pixel(x, y) == arrow;
    return count;
}

const Polyline k_line = {{-100.004, 40.0}, {-99.996, 40.0}};

TEST(RendererArrows, OneWayStreetsCarryDrawnArrowsAndTwoWayStreetsNone) {
    FeatureSet one_way, two_way;
    one_way.roads.push_back(road(RoadClass::local, "Oak St", true, k_line));
    two_way.roads.push_back(road(RoadClass::local, "Oak St", false, k_line));
    EXPECT_GT(arrow_pixels(one_way), 2);
    EXPECT_EQ(arrow_pixels(two_way), 0);
}

TEST(RendererArrows, MotorwaysAndRoundaboutsAreLeftBareUnlessTheRoadIsTwoWayElsewhere) {
    FeatureSet motorway;
    motorway.roads.push_back(road(RoadClass::interstate, "Eastbank Freeway", true, k_line));
    EXPECT_EQ(arrow_pixels(motorway), 0);

    FeatureSet loop;
    loop.roads.push_back(road(RoadClass::local, "", true,
                              {{-100.001, 40.0}, {-100.0, 40.0007}, {-99.999, 40.0}, {-100.0, 39.9993}, {-100.001, 40.0}}));
    EXPECT_EQ(arrow_pixels(loop), 0) << "a closed one-way loop is a roundabout";
    FeatureSet tagged;
    RoadFeature roundabout = road(RoadClass::major, "", true, k_line);
    roundabout.roundabout = true;
    tagged.roads.push_back(roundabout);
    EXPECT_EQ(arrow_pixels(tagged), 0);

    // The same motorway two-way further on: its one-way piece is worth marking.
    motorway.roads.push_back(road(RoadClass::interstate, "Eastbank Freeway", false, {{-100.004, 40.001}, {-99.996, 40.001}}));
    EXPECT_GT(arrow_pixels(motorway), 2);
}

}  // namespace
}  // namespace tolm::engine

#endif
