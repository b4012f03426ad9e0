#include "engine/map_aids.h"

#include "engine/map_engine.h"

#ifndef _WIN32
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tolm::engine {
namespace {

TEST(MapAids, MaidenheadLocatorsOfKnownPlacesAtEveryLength) {
    EXPECT_EQ(maidenhead_locator(-122.68, 45.52, 2), "CN");
    EXPECT_EQ(maidenhead_locator(-122.68, 45.52, 4), "CN85");
    EXPECT_EQ(maidenhead_locator(-122.68, 45.52, 6), "CN85pm");
    EXPECT_EQ(maidenhead_locator(-68.77, 44.80, 6), "FN54ot");  // Bangor, Maine
    EXPECT_EQ(maidenhead_locator(0.0, 0.0, 6), "JJ00aa");
    // The edges of the world stay inside it: the last field, not one beyond.
    EXPECT_EQ(maidenhead_locator(180.0, 90.0, 4), "AR09");
    EXPECT_EQ(maidenhead_locator(179.999, 89.999, 6), "RR99xx");
    EXPECT_EQ(maidenhead_locator(-540.0, -120.0, 4), "AA00");
    EXPECT_EQ(maidenhead_locator(-122.68, 45.52, 8).size(), 8u);
}

TEST(MapAids, ScaleBarsAreRoundLengthsThatFit) {
    EXPECT_DOUBLE_EQ(scale_bar_length(10.0, 1000.0, 150), 1.0);    // 1.5 km fit: 1 km
    EXPECT_DOUBLE_EQ(scale_bar_length(20.0, 1000.0, 150), 2.0);    // 3 km fit: 2 km
    EXPECT_DOUBLE_EQ(scale_bar_length(40.0, 1000.0, 150), 5.0);    // 6 km fit: 5 km
    EXPECT_DOUBLE_EQ(scale_bar_length(1000.0, 1609.344, 150), 50.0);
    EXPECT_EQ(scale_bar_length(0.0, 1000.0, 150), 0.0);
    EXPECT_EQ(scale_bar_length(-1.0, 1000.0, 150), 0.0);
}

TEST(MapAids, AidsAreSavedInTheSettingsFileAndNeverMoveTheView) {
    const auto folder = std::filesystem::temp_directory_path() / "tolm_map_aids_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "engine.cfg").string();
    MapEngine engine;
    engine.view().set_size(300, 200);
    engine.view().show_rectangle(-122.70, 45.53, -122.66, 45.51);
    const Extent before = engine.view().extent();
    engine.style().scale_bar = engine.style().lat_lon_grid = engine.style().locator_grid = true;
#ifndef _WIN32
    // Painted with every aid, over the view the client interpolates its stations in.
    platform::RasterSurface surface(300, 200);
    platform::CairoPainter painter(surface);
    engine.paint(painter, false);
    engine.paint(painter, true);
    EXPECT_EQ(engine.view().extent().west, before.west);
    EXPECT_EQ(engine.view().extent().east, before.east);
    EXPECT_EQ(engine.view().extent().south, before.south);
    EXPECT_EQ(engine.view().extent().north, before.north);
#endif
    engine.save_settings(path);
    std::string text;
    {
        // Closed before the folder is removed, as Windows requires.
        std::ifstream in(path);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(text.find("SCALE_BAR=TRUE"), std::string::npos);
    EXPECT_NE(text.find("LATLON_GRID=TRUE"), std::string::npos);
    EXPECT_NE(text.find("LOCATOR_GRID=TRUE"), std::string::npos);
    MapEngine loaded;
    loaded.load_settings(path);
    EXPECT_TRUE(loaded.style().scale_bar && loaded.style().lat_lon_grid && loaded.style().locator_grid);
    const Extent after = loaded.view().extent();
    EXPECT_DOUBLE_EQ(after.west, before.west);
    EXPECT_DOUBLE_EQ(after.north, before.north);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tolm::engine
