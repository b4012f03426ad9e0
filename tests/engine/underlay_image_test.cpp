#include "engine/underlay_image.h"

#include "engine/map_engine.h"
#include "engine/picture_file.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace tolm::engine {
namespace {

TEST(UnderlayResampling, StretchesLinearlyWithBilinearFiltering) {
    const Bitmap picture{2, 1, {0xFF000000u, 0xFFFFFFFFu}};
    const UnderlayPiece piece = resample_underlay(picture, 0, 0, 4, 1, 10, 10);
    ASSERT_EQ(piece.width, 4);
    ASSERT_EQ(piece.height, 1);
    EXPECT_EQ(piece.pixels[0], 0xFF000000u);
    EXPECT_EQ(piece.pixels[1] & 0xFFu, 0x40u);  // a quarter of the way from black to white: 63.75
    EXPECT_EQ(piece.pixels[2] & 0xFFu, 0xBFu);  // 191.25
    EXPECT_EQ(piece.pixels[3], 0xFFFFFFFFu);
    EXPECT_EQ(piece.pixels[1] >> 24, 0xFFu);
}

TEST(UnderlayResampling, OnlyTheSeenPartIsComputed) {
    // A picture reaching far beyond the map on every side gives a piece of the map's size.
    const Bitmap picture{3000, 3000, std::vector<std::uint32_t>(9000000, 0xFF336699u)};
    const UnderlayPiece piece = resample_underlay(picture, -50000, -50000, 50000, 50000, 16, 12);
    EXPECT_EQ(piece.left, 0);
    EXPECT_EQ(piece.width, 16);
    EXPECT_EQ(piece.height, 12);
    EXPECT_EQ(piece.pixels.back(), 0xFF336699u);
    EXPECT_TRUE(resample_underlay(picture, 20, 20, 30, 30, 16, 12).pixels.empty());  // beyond the map
    EXPECT_TRUE(resample_underlay(Bitmap{}, 0, 0, 10, 10, 16, 12).pixels.empty());
}

TEST(UnderlayResampling, APartlySeenPictureStartsAtItsEdge) {
    const Bitmap picture{4, 4, std::vector<std::uint32_t>(16, 0xFFFF0000u)};
    const UnderlayPiece piece = resample_underlay(picture, 5.0, 2.0, 13.0, 10.0, 10, 10);
    EXPECT_EQ(piece.left, 5);
    EXPECT_EQ(piece.top, 2);
    EXPECT_EQ(piece.width, 5);
    EXPECT_EQ(piece.height, 8);
}

class ImageRecorder : public platform::Painter {
public:
    void set_antialias(bool) override {}
    void clear(platform::Colour) override {}
    void move_to(double, double) override {}
    void line_to(double, double) override {}
    void close_path() override {}
    void fill(platform::Colour) override {}
    void begin_shaded(double, double, std::uint8_t) override {}
    void shaded_lines_to(std::span<const platform::PathPoint>, std::span<const std::uint8_t>) override {}
    void fill_shades(std::span<const platform::Colour>) override {}
    void fill_and_stroke(platform::Colour, const platform::StrokeStyle&) override {}
    void stroke(const platform::StrokeStyle&) override {}
    platform::TextExtent measure_text(std::string_view, const platform::TextStyle&) override { return {}; }
    void draw_text(double, double, double, std::string_view, const platform::TextStyle&) override {}
    void draw_image(const platform::ImageView& image, double x, double y, double w, double h) override {
        images.push_back({x, y, w, h, image.width, image.height});
    }
    void flush() override {}
    struct Drawn {
        double x, y, w, h;
        std::int32_t image_width, image_height;
    };
    std::vector<Drawn> images;
};

TEST(UnderlayEngine, TheUnderlayCoversItsExtentAtTheMapsOwnScale) {
    test::ScratchFolder folder("underlay");
    write_bitmap(folder.file("Town.BMP"), Bitmap{8, 8, std::vector<std::uint32_t>(64, 0xFF808080u)});
    test::write_bytes(folder.file("Town.SAT"), "-1, 1, 1, -1\r\n");
    MapEngine engine;
    engine.view().set_size(200, 200);
    engine.view().show_rectangle(-2, 2, 2, -2);
    engine.set_underlay_file(folder.file("Town.BMP"));
    engine.set_underlay_shown(true);
    ImageRecorder painter;
    engine.paint(painter, false);
    ASSERT_EQ(painter.images.size(), 1u);
    const auto& drawn = painter.images[0];
    // Drawn one to one, so the painter's own scaling never blurs or shifts it.
    EXPECT_EQ(drawn.w, drawn.image_width);
    EXPECT_EQ(drawn.h, drawn.image_height);
    EXPECT_NEAR(drawn.x, engine.view().to_pixel_x(-1), 1.0);
    EXPECT_NEAR(drawn.y, engine.view().to_pixel_y(1), 1.0);
    EXPECT_NEAR(drawn.x + drawn.w, engine.view().to_pixel_x(1), 1.0);
    // Hidden, it is not drawn.
    engine.set_underlay_shown(false);
    ImageRecorder hidden;
    engine.paint(hidden, false);
    EXPECT_TRUE(hidden.images.empty());
}

TEST(UnderlayEngine, ADamagedUnderlayLeavesTheMapPainting) {
    test::ScratchFolder folder("underlay");
    test::write_bytes(folder.file("Bad.BMP"), "BM not really");
    test::write_bytes(folder.file("Bad.SAT"), "-1, 1, 1, -1\r\n");
    MapEngine engine;
    engine.set_underlay_file(folder.file("Bad.BMP"));
    engine.set_underlay_shown(true);
    ImageRecorder painter;
    EXPECT_NO_THROW(engine.paint(painter, false));
    EXPECT_TRUE(painter.images.empty());
    engine.set_underlay_file(folder.file("NoSat.BMP"));
    EXPECT_NO_THROW(engine.paint(painter, false));
}

}  // namespace
}  // namespace tolm::engine
