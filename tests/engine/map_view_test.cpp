#include "engine/map_view.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>

namespace tolm::engine {
namespace {

TEST(MapView, ShowRectangleKeepsCentreAndGrowsTheShortSide) {
    MapView view;
    view.set_size(800, 400);
    // A tall rectangle in a wide picture: the height fits, the width grows.
    view.show_rectangle(-101, 41, -99, 39);
    const Extent e = view.extent();
    EXPECT_NEAR(e.centre().lon, -100, 1e-12);
    EXPECT_NEAR(e.centre().lat, 40, 1e-12);
    EXPECT_NEAR(e.height(), 2, 1e-12);
    EXPECT_GT(e.width(), 2);
    // Horizontal scale is the vertical one times the cosine of the centre latitude.
    const double cosine = std::cos(40 * std::numbers::pi / 180);
    EXPECT_NEAR(e.width() / 800 * cosine, e.height() / 400, 1e-12);

    // A wide rectangle: the width fits, the height grows. Corners in either order.
    view.show_rectangle(-90, 10, -110, 11);
    EXPECT_NEAR(view.extent().width(), 20, 1e-9);
    EXPECT_GT(view.extent().height(), 1);
}

TEST(MapView, PointsPaintWhereLinearInterpolationBetweenCornersPutsThem) {
    MapView view;
    view.set_size(1023, 767);
    view.show_rectangle(-122.9, 45.7, -122.4, 45.3);
    const Extent e = view.extent();
    for (double lon = e.west; lon <= e.east; lon += e.width() / 37) {
        for (double lat = e.south; lat <= e.north; lat += e.height() / 29) {
            const double expected_x = (lon - e.west) / (e.east - e.west) * view.width();
            const double expected_y = (e.north - lat) / (e.north - e.south) * view.height();
            EXPECT_NEAR(view.to_pixel_x(lon), expected_x, 0.5);
            EXPECT_NEAR(view.to_pixel_y(lat), expected_y, 0.5);
        }
    }
    EXPECT_NEAR(view.to_pixel_x(e.west), 0, 1e-9);
    EXPECT_NEAR(view.to_pixel_y(e.south), 767, 1e-9);
}

TEST(MapView, ZoomStepsHalveAndDoubleAboutTheCentre) {
    MapView view;
    view.set_size(640, 480);
    view.centre_on(-122.68, 45.52);
    view.set_zoom(12);
    EXPECT_NEAR(view.zoom(), 12, 1e-12);
    const double height = view.extent().height();
    view.zoom_in();
    EXPECT_NEAR(view.zoom(), 13, 1e-12);
    EXPECT_NEAR(view.extent().height(), height / 2, 1e-12);
    EXPECT_EQ(view.centre(), (LonLat{-122.68, 45.52}));
    view.zoom_out();
    view.zoom_out();
    EXPECT_NEAR(view.extent().height(), height * 2, 1e-12);
    // Zoom is bounded so that endless zooming never breaks the arithmetic.
    for (int i = 0; i < 60; ++i) view.zoom_in();
    EXPECT_NEAR(view.zoom(), MapView::k_max_zoom, 1e-9);
    // Zooming out stops where the world fills the picture one way.
    for (int i = 0; i < 60; ++i) view.zoom_out();
    EXPECT_NEAR(view.extent().height(), 180, 1e-9);
    EXPECT_GE(view.extent().west, -180);
    EXPECT_LE(view.extent().east, 180);
    EXPECT_GE(view.zoom(), MapView::k_min_zoom);
}

TEST(MapView, CentreOnKeepsZoomAndZoomLevelsHaveDocumentedScales) {
    MapView view;
    view.set_size(1024, 768);
    view.set_zoom(15);
    view.centre_on(-100, 40);
    EXPECT_NEAR(view.zoom(), 15, 1e-12);
    // Level 15: a street view, about 3.6 km top to bottom; level 12 about 29 km, a town.
    EXPECT_NEAR(view.extent().height() * 111.2, 3.66, 0.05);
    view.set_zoom(12);
    EXPECT_NEAR(view.extent().height() * 111.2, 29.3, 0.2);
}

TEST(MapView, PansMoveHalfAPictureInEightDirectionsAndReturn) {
    MapView view;
    view.set_size(600, 400);
    view.show_rectangle(-101, 41, -99, 39);
    const LonLat start = view.centre();
    const double half_height = view.extent().height() / 2;
    view.pan(8);
    EXPECT_NEAR(view.centre().lat, start.lat + half_height, 1e-9);
    EXPECT_NEAR(view.centre().lon, start.lon, 1e-12);
    view.pan(2);
    EXPECT_NEAR(view.centre().lat, start.lat, 1e-9);
    const double half_width = view.extent().width() / 2;
    view.pan(6);
    EXPECT_NEAR(view.centre().lon, start.lon + half_width, 1e-9);
    view.pan(4);
    for (int code : {9, 3, 7, 1}) view.pan(code);
    EXPECT_NEAR(view.centre().lon, start.lon, 1e-6);
    EXPECT_NEAR(view.centre().lat, start.lat, 1e-6);
    for (int bad : {0, 5, 10, -1}) EXPECT_THROW(view.pan(bad), RuntimeError) << bad;
}

TEST(MapView, DegenerateInputIsRefusedOrBounded) {
    MapView view;
    EXPECT_THROW(view.set_size(0, 10), RuntimeError);
    EXPECT_THROW(view.show_rectangle(std::nan(""), 1, 2, 3), RuntimeError);
    // A zero-size rectangle shows the most detailed zoom, not a division by zero.
    view.show_rectangle(-100, 40, -100, 40);
    EXPECT_NEAR(view.zoom(), MapView::k_max_zoom, 1e-9);
    // The whole-world view of the server: the picture's shape would make it 240 degrees tall; it
    // stops at the poles instead.
    view.set_size(1024, 768);
    view.show_rectangle(-160, 80, 160, -80);
    EXPECT_NEAR(view.extent().north, 90, 1e-9);
    EXPECT_NEAR(view.extent().south, -90, 1e-9);
    EXPECT_NEAR(view.extent().width(), 240, 1e-9);
    // Near the pole the centre is held back so the cosine stays sound.
    view.centre_on(0, 90);
    EXPECT_LE(view.centre().lat, 85);
    EXPECT_TRUE(std::isfinite(view.extent().east));
}

void expect_within_world(const MapView& view, const std::string& what) {
    const Extent e = view.extent();
    EXPECT_GE(e.west, -180 - 1e-9) << what;
    EXPECT_LE(e.east, 180 + 1e-9) << what;
    EXPECT_GE(e.south, -90 - 1e-9) << what;
    EXPECT_LE(e.north, 90 + 1e-9) << what;
    EXPECT_LT(e.west, e.east) << what;
    EXPECT_LT(e.south, e.north) << what;
}

// Whatever the client asks, the extents it is told are ones a map can have, and the picture stays
// linear between them: a position maps to the pixel the client's interpolation between the corners
// gives.
TEST(MapView, TheViewStaysWithinTheWorld) {
    MapView view;
    view.set_size(640, 480);
    for (int i = 0; i < 60; ++i) view.zoom_out();
    expect_within_world(view, "60 zoom-outs");
    view.set_zoom(8);
    for (int i = 0; i < 2000; ++i) view.pan(6);
    expect_within_world(view, "2,000 pans east");
    EXPECT_NEAR(view.extent().east, 180, 1e-6);
    for (int i = 0; i < 2000; ++i) view.pan(7);
    expect_within_world(view, "2,000 pans north-west");
    EXPECT_NEAR(view.extent().west, -180, 1e-6);
    for (int i = 0; i < 2000; ++i) view.pan(2);
    expect_within_world(view, "2,000 pans south");
    view.show_rectangle(-1e300, 1e300, 1e300, -1e300);
    expect_within_world(view, "corners far outside");
    view.show_rectangle(170, 10, 200, -10);
    expect_within_world(view, "a rectangle across 180");
    // A centre that is not on earth is refused, and leaves the view as it was.
    const LonLat before = view.centre();
    EXPECT_THROW(view.centre_on(500, 100), RuntimeError);
    EXPECT_THROW(view.centre_on(0, -91), RuntimeError);
    EXPECT_THROW(view.centre_on(std::numeric_limits<double>::infinity(), 0), RuntimeError);
    EXPECT_THROW(view.set_zoom(std::nan("")), RuntimeError);
    EXPECT_EQ(view.centre(), before);
    // A tall narrow picture and a wide flat one at the widest zoom.
    for (auto [w, h] : {std::pair{1, 4000}, std::pair{4000, 1}, std::pair{16384, 2000}}) {
        view.set_size(w, h);
        view.set_zoom(0);
        expect_within_world(view, std::to_string(w) + " x " + std::to_string(h));
        const Extent e = view.extent();
        EXPECT_NEAR(view.to_pixel_x(e.west + (e.east - e.west) / 4), w / 4.0, 1e-6);
        EXPECT_NEAR(view.to_pixel_y(e.north - (e.north - e.south) / 4), h / 4.0, 1e-6);
    }
}

// Pictures the raster cannot paint within reason are refused with a clear error, not allocated.
TEST(MapView, PicturesPastThePaintingLimitAreRefused) {
    MapView view;
    EXPECT_NO_THROW(view.set_size(1, 1));
    EXPECT_NO_THROW(view.set_size(7680, 4320));
    try {
        view.set_size(30000, 30000);
        ADD_FAILURE() << "a 30,000 x 30,000 map was accepted";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::invalid_procedure_call);
        EXPECT_NE(std::string(e.what()).find("30000 x 30000"), std::string::npos) << e.what();
    }
    EXPECT_THROW(view.set_size(20000, 10), RuntimeError);
    EXPECT_EQ(view.width(), 7680);
}

}  // namespace
}  // namespace tolm::engine
