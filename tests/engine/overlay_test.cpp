#include "engine/overlay.h"
#include "support/errors.h"

#include "engine/map_engine.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

#include <string>
#include <vector>

namespace tolm::engine {
namespace {

// Records what the overlay draws, in pixels.
class RecordingPainter : public platform::Painter {
public:
    struct Path {
        std::vector<std::pair<double, double>> points;
        std::string how;
        platform::Colour colour;
        double width = 0;
    };
    struct Text {
        double x, y;
        std::string text;
    };
    void set_antialias(bool) override {}
    void clear(platform::Colour) override {}
    void move_to(double x, double y) override { current.points.push_back({x, y}); }
    void line_to(double x, double y) override { current.points.push_back({x, y}); }
    void close_path() override {}
    void fill(platform::Colour c) override { end("fill", c, 0); }
    void begin_shaded(double x, double y, std::uint8_t) override { current.points.push_back({x, y}); }
    void shaded_lines_to(std::span<const platform::PathPoint> points, std::span<const std::uint8_t>) override {
        for (const auto& p : points) current.points.push_back({p.x, p.y});
    }
    void fill_shades(std::span<const platform::Colour> colours) override { end("shades", colours.empty() ? platform::Colour{} : colours[0], 0); }
    void fill_and_stroke(platform::Colour c, const platform::StrokeStyle& s) override { end("fill+stroke", c, s.width); }
    void stroke(const platform::StrokeStyle& s) override { end("stroke", s.colour, s.width); }
    platform::TextExtent measure_text(std::string_view text, const platform::TextStyle&) override {
        return {7.0 * static_cast<double>(text.size()), 12, 9};
    }
    void draw_text(double x, double y, double, std::string_view text, const platform::TextStyle&) override {
        texts.push_back({x, y, std::string(text)});
    }
    void draw_image(const platform::ImageView&, double, double, double, double) override {}
    void flush() override {}

    std::vector<Path> paths;
    std::vector<Text> texts;

private:
    void end(const char* how, platform::Colour c, double width) {
        current.how = how;
        current.colour = c;
        current.width = width;
        paths.push_back(std::move(current));
        current = {};
    }
    Path current;
};

using test::error_of;

MapView view_of(double west, double north, double east, double south, int w = 400, int h = 300) {
    MapView view;
    view.set_size(w, h);
    view.show_rectangle(west, north, east, south);
    return view;
}

const char* const k_every_type = R"({"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"title": "Camp", "marker-color": "#ff0000", "marker-size": "large"},
   "geometry": {"type": "Point", "coordinates": [-100.5, 40.25]}},
  {"type": "Feature", "properties": null, "geometry": {"type": "MultiPoint", "coordinates": [[-100, 40], [-99, 41]]}},
  {"type": "Feature", "properties": {"stroke": "#00f", "stroke-width": 4, "stroke-opacity": 0.5},
   "geometry": {"type": "LineString", "coordinates": [[-101, 40], [-100, 41]]}},
  {"type": "Feature", "geometry": {"type": "MultiLineString", "coordinates": [[[-101, 40], [-100, 41]], [[-99, 40], [-98, 39]]]}},
  {"type": "Feature", "properties": {"fill": "#00ff00", "fill-opacity": 0.25},
   "geometry": {"type": "Polygon", "coordinates": [[[-1, 1], [2, 1], [2, 4], [-1, 4], [-1, 1]], [[0, 2], [1, 2], [1, 3], [0, 2]]]}},
  {"type": "Feature", "geometry": {"type": "MultiPolygon", "coordinates": [[[[5, 5], [6, 5], [6, 6], [5, 5]]]]}},
  {"type": "Feature", "geometry": {"type": "GeometryCollection", "geometries": [
     {"type": "Point", "coordinates": [10, 10, 350]}, {"type": "LineString", "coordinates": [[10, 10], [11, 11]]}]}},
  {"type": "Feature", "properties": {"title": "nowhere"}, "geometry": null}
]})";

TEST(GeoJsonOverlay, ReadsEveryGeometryTypeWithItsLook) {
    const Overlay overlay = Overlay::parse(k_every_type, "all.OVR");
    ASSERT_EQ(overlay.items().size(), 8u);
    const auto& camp = overlay.items()[0];
    EXPECT_EQ(camp.kind, Overlay::Kind::point);
    EXPECT_EQ(camp.label, "Camp");
    EXPECT_EQ(camp.look.marker_rgb, 0xFF0000u);
    EXPECT_EQ(camp.look.marker_radius, 9);
    EXPECT_EQ(overlay.items()[1].starts.size(), 2u);
    EXPECT_EQ(overlay.items()[2].look.stroke_rgb, 0x0000FFu);
    EXPECT_EQ(overlay.items()[2].look.stroke_width, 4);
    EXPECT_EQ(overlay.items()[2].look.stroke_opacity, 0.5);
    EXPECT_EQ(overlay.items()[3].starts, (std::vector<std::uint32_t>{0, 2}));
    const auto& holed = overlay.items()[4];
    EXPECT_EQ(holed.kind, Overlay::Kind::area);
    EXPECT_EQ(holed.starts, (std::vector<std::uint32_t>{0, 5}));  // the outer ring, then the hole
    EXPECT_EQ(holed.look.fill_opacity, 0.25);
    ASSERT_TRUE(overlay.extent());
    EXPECT_EQ(*overlay.extent(), (Extent{-101, 11, 1, 41}));
}

TEST(GeoJsonOverlay, ABareGeometryOrFeatureIsAnOverlayToo) {
    EXPECT_EQ(Overlay::parse("\xEF\xBB\xBF  {\"type\":\"Point\",\"coordinates\":[1,2]}", "p").items().size(), 1u);
    EXPECT_EQ(Overlay::parse(R"({"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]}})", "f").items().size(), 1u);
    EXPECT_TRUE(Overlay::parse(R"({"type":"FeatureCollection","features":[]})", "e").empty());
}

TEST(GeoJsonOverlay, DamagedFilesAreRefusedSayingWhy) {
    const auto refused = [](const char* text) { return error_of([&] { Overlay::parse(text, "bad.OVR"); }); };
    EXPECT_NE(refused(R"({"type": "FeatureCollection", "features": [)").find("not valid JSON"), std::string::npos);
    EXPECT_NE(refused("{ nonsense").find("bad.OVR"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"Point","coordinates":"here"})"), "no error");
    EXPECT_NE(refused(R"({"type":"Point","coordinates":["1","2"]})"), "no error");
    EXPECT_NE(refused(R"({"type":"Point"})").find("\"coordinates\" is missing"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"Circle","coordinates":[1,2]})").find("Circle"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"FeatureCollection","features":{}})"), "no error");
    EXPECT_NE(refused(R"({"type":"LineString","coordinates":[[1,2]]})").find("too few"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"Polygon","coordinates":[[[0,0],[1,0],[0,0]]]})").find("too few"), std::string::npos);
    EXPECT_NE(refused(R"([1, 2, 3])"), "no error");
    const std::string bad_stroke =
        refused(R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":null},)"
                R"({"type":"Feature","properties":{"stroke":12},"geometry":null}]})");
    EXPECT_NE(bad_stroke.find("\"stroke\""), std::string::npos);
    EXPECT_NE(bad_stroke.find("feature 2"), std::string::npos) << bad_stroke;
    EXPECT_NE(refused(R"({"type":"Feature","properties":{"stroke-width":"wide"},"geometry":null})"), "no error");
    EXPECT_NE(refused(R"({"type":"Feature","properties":{"marker-size":"huge"},"geometry":null})"), "no error");
    EXPECT_NE(refused(R"({"type":"Feature","properties":{"fill":"#12345"},"geometry":null})"), "no error");
}

TEST(GeoJsonOverlay, PositionsOutOfRangeAreRefused) {
    for (const char* text : {R"({"type":"Point","coordinates":[200,10]})", R"({"type":"Point","coordinates":[10,-91]})",
                             R"({"type":"Point","coordinates":[1e400,10]})"})
        EXPECT_NE(error_of([&] { Overlay::parse(text, "far.OVR"); }), "no error") << text;
}

TEST(GeoJsonOverlay, DeeplyNestedInputIsRefusedNotACrash) {
    std::string nested = R"({"type":"GeometryCollection","geometries":[)";
    std::string close = "]}";
    for (int i = 0; i < 20; ++i) {
        nested += R"({"type":"GeometryCollection","geometries":[)";
        close += "]}";
    }
    EXPECT_NE(error_of([&] { Overlay::parse(nested + close, "deep"); }).find("nested"), std::string::npos);
    // Brackets a hundred thousand deep: the JSON reader must not run out of stack.
    EXPECT_NE(error_of([] { Overlay::parse("{\"a\":" + std::string(100000, '[') + std::string(100000, ']') + "}", "deep"); }),
              "no error");
}

TEST(OverlayFile, AHugeOrEndlessFileIsRefused) {
    test::ScratchFolder folder("overlay");
    const std::string big = folder.file("big.OVR");
    {
        std::ofstream out(big, std::ios::binary);
        const std::string block(1 << 20, ' ');
        for (std::size_t i = 0; i <= Overlay::k_max_overlay_bytes / block.size(); ++i) out << block;
    }
    EXPECT_NE(error_of([&] { Overlay::read(big); }).find("larger than 64 MB"), std::string::npos);
#ifndef _WIN32
    EXPECT_NE(error_of([] { Overlay::read("/dev/zero"); }).find("larger than 64 MB"), std::string::npos);
#endif
    EXPECT_NE(error_of([&] { Overlay::read(folder.file("missing.OVR")); }).find("missing.OVR"), std::string::npos);
}

TEST(OverlayPainting, APointLandsWhereTheClientsInterpolationPutsIt) {
    const Overlay overlay = Overlay::parse(R"({"type":"Point","coordinates":[-122.6731, 45.5152]})", "p");
    const MapView view = view_of(-122.8, 45.6, -122.5, 45.4, 1024, 768);
    RecordingPainter painter;
    overlay.paint(painter, view, false);
    ASSERT_EQ(painter.paths.size(), 1u);
    double sx = 0, sy = 0;
    for (const auto& [x, y] : painter.paths[0].points) {
        sx += x;
        sy += y;
    }
    const double n = static_cast<double>(painter.paths[0].points.size());
    // The client interpolates linearly between the corners the server reports.
    const Extent e = view.extent();
    const double want_x = (-122.6731 - e.west) / (e.east - e.west) * 1024;
    const double want_y = (e.north - 45.5152) / (e.north - e.south) * 768;
    EXPECT_NEAR(sx / n, want_x, 0.5);
    EXPECT_NEAR(sy / n, want_y, 0.5);
}

TEST(OverlayPainting, LabelsGoOnlyWhereTheMapLeavesRoom) {
    const Overlay overlay = Overlay::parse(
        R"({"type":"FeatureCollection","features":[
            {"type":"Feature","properties":{"title":"Camp"},"geometry":{"type":"Point","coordinates":[0,0]}},
            {"type":"Feature","properties":{"title":"Camp"},"geometry":{"type":"Point","coordinates":[0.0001,0]}}]})",
        "p");
    const MapView view = view_of(-1, 1, 1, -1);
    RecordingPainter free_map;
    overlay.paint(free_map, view, false);
    // Two labels at one place: the second finds another side of its marker, never on the first.
    ASSERT_EQ(free_map.texts.size(), 2u);
    EXPECT_TRUE(free_map.texts[0].x != free_map.texts[1].x || free_map.texts[0].y != free_map.texts[1].y);

    RecordingPainter full_map;
    int asked = 0;
    overlay.paint(full_map, view, false, [&](double, double, double, double) {
        ++asked;
        return false;
    });
    EXPECT_TRUE(full_map.texts.empty());
    EXPECT_GT(asked, 0);
    EXPECT_EQ(full_map.paths.size(), 2u);  // the markers are still drawn
}

TEST(OverlayPainting, LinesFarBeyondThePictureAreCutToIt) {
    const Overlay overlay = Overlay::parse(R"({"type":"LineString","coordinates":[[-170,0],[170,0.001]]})", "l");
    RecordingPainter painter;
    overlay.paint(painter, view_of(-0.001, 0.001, 0.001, -0.001), false);
    ASSERT_EQ(painter.paths.size(), 1u);
    for (const auto& [x, y] : painter.paths[0].points) {
        EXPECT_GE(x, -64.5);
        EXPECT_LE(x, 400 + 64.5);
    }
}

TEST(OverlayEngine, ARefusedOverlayLeavesNoneAndTheMapStillPaints) {
    test::ScratchFolder folder("overlay");
    test::write_bytes(folder.file("good.OVR"), R"({"type":"Point","coordinates":[1,2]})");
    test::write_bytes(folder.file("bad.OVR"), R"({"type":"Point","coordinates":[1,)");
    MapEngine engine;
    engine.load_overlay(folder.file("good.OVR"));
    EXPECT_EQ(engine.overlay_file(), folder.file("good.OVR"));
    EXPECT_NE(error_of([&] { engine.load_overlay(folder.file("bad.OVR")); }).find("not valid JSON"), std::string::npos);
    EXPECT_EQ(engine.overlay_file(), "");
    // Asked again (the server retries at every render), the same refusal without reading it again.
    EXPECT_NE(error_of([&] { engine.load_overlay(folder.file("bad.OVR")); }).find("not valid JSON"), std::string::npos);
    RecordingPainter painter;
    engine.paint(painter, false);
    engine.load_overlay(folder.file("good.OVR"));
    engine.zoom_to_overlay();
    EXPECT_NEAR(engine.view().centre().lon, 1, 1e-9);
    EXPECT_NEAR(engine.view().centre().lat, 2, 1e-9);
}

TEST(OverlayEngine, ZoomToOverlayShowsItsBoundingBox) {
    test::ScratchFolder folder("overlay");
    test::write_bytes(folder.file("box.OVR"), R"({"type":"LineString","coordinates":[[-100,40],[-90,45]]})");
    MapEngine engine;
    engine.view().set_size(400, 400);
    engine.load_overlay(folder.file("box.OVR"));
    engine.zoom_to_overlay();
    const Extent e = engine.view().extent();
    // Fitted to the picture: the box is inside and touches two opposite sides.
    EXPECT_LE(e.west, -100 + 1e-9);
    EXPECT_GE(e.east, -90 - 1e-9);
    EXPECT_LE(e.south, 40 + 1e-9);
    EXPECT_GE(e.north, 45 - 1e-9);
    EXPECT_TRUE(std::abs(e.west + 100) < 1e-6 || std::abs(e.north - 45) < 1e-6);
}

}  // namespace
}  // namespace tolm::engine
