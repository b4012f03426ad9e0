#include "engine/map_view.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

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
    for (int i = 0; i < 60; ++i) view.zoom_out();
    EXPECT_NEAR(view.zoom(), MapView::k_min_zoom, 1e-9);
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
    // The whole-world view of the server keeps a finite, sensible extent.
    view.set_size(1024, 768);
    view.show_rectangle(-160, 80, 160, -80);
    EXPECT_NEAR(view.extent().width(), 320, 1e-9);
    // Near the pole the centre is held back so the cosine stays sound.
    view.centre_on(0, 90);
    EXPECT_LE(view.centre().lat, 85);
    EXPECT_TRUE(std::isfinite(view.extent().east));
}

}  // namespace
}  // namespace tolm::engine
