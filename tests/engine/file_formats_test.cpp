// The small text and picture formats the engine reads: settings files, overlays, underlay bitmaps;
// and the clipping that keeps far-away geometry sane.
#include "engine/bitmap_file.h"
#include "engine/clip.h"
#include "engine/map_engine.h"
#include "engine/overlay.h"
#include "engine/settings_file.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tolm::engine {
namespace {

TEST(SettingsFile, KeysAndSectionsIgnoreCaseAndForeignLinesSurvive) {
    auto file = SettingsFile::parse("; engine settings\r\n[Visible]\r\nOVER = TRUE\r\nunder=FALSE\r\n[Other]\r\nodd line\r\nK=v=w\r\n");
    EXPECT_EQ(file.get("visible", "Over"), "TRUE");
    EXPECT_EQ(file.get("VISIBLE", "UNDER"), "FALSE");
    EXPECT_EQ(file.get("Other", "K"), "v=w");
    EXPECT_EQ(file.get("Missing", "K"), std::nullopt);
    file.set("visible", "under", "TRUE");
    file.set("New", "A", "1");
    const std::string text = file.text();
    EXPECT_NE(text.find("; engine settings\r\n"), std::string::npos);
    EXPECT_NE(text.find("under=TRUE\r\n"), std::string::npos);
    EXPECT_NE(text.find("odd line\r\n"), std::string::npos);
    EXPECT_NE(text.find("[New]\r\nA=1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("UNDER=FALSE"), std::string::npos) << "the key is replaced, not added twice";
}

// Read and written back, a file in the system's own line ends is the same file, blank lines and all.
TEST(SettingsFile, AFileReadAndWrittenBackIsByteStable) {
    // Lines without a key name ("==", found by fuzzing) stay as they were.
    for (const std::string text : {"\r\n", "\r\n\r\n", "[A]\r\n\r\nK=v\r\n", "; c\r\n\r\n[B]\r\n", "==\r\n", "[A]\r\n =x\r\n"})
        EXPECT_EQ(SettingsFile::parse(text).text(), text) << text;
}

// Values no Long can hold (found by running the settings reader under UBSan) leave the setting alone.
TEST(SettingsFile, NumbersBeyondALongOrNaNLeaveTheEngineSettingsAlone) {
    const test::ScratchFolder folder("settings-range");
    const std::string path = folder.file("engine.ini");
    std::ofstream(path, std::ios::binary) << "[Display]\r\nLABEL_HALO_WIDTH=1e300\r\nLABEL_HALO_COLOUR=nan\r\n"
                                             "LABEL_FONT_SCALE=-3e9\r\n[Colours]\r\nITEM1=1e20\r\nITEM2=inf\r\n"
                                             "[View]\r\nWIDTH=1e20\r\nHEIGHT=nan\r\nCENTRE_LON=500\r\nCENTRE_LAT=100\r\nZOOM=nan\r\n";
    MapEngine engine;
    const MapStyle before = engine.style();
    const std::int32_t width = engine.view().width();
    const LonLat centre = engine.view().centre();
    EXPECT_NO_THROW(engine.load_settings(path));
    EXPECT_EQ(engine.style().label_halo_width, before.label_halo_width);
    EXPECT_EQ(engine.style().label_halo_colour, before.label_halo_colour);
    EXPECT_EQ(engine.style().label_font_scale, before.label_font_scale);
    EXPECT_EQ(engine.colour_item(1), before.colour(1));
    EXPECT_EQ(engine.colour_item(2), before.colour(2));
    EXPECT_EQ(engine.view().width(), width);
    EXPECT_EQ(engine.view().centre(), centre);
    EXPECT_TRUE(std::isfinite(engine.view().zoom()));
}

TEST(Overlay, ParsesItemsWithTheirColourAndIgnoresUnknownLines) {
    const auto overlay = Overlay::parse("COLOR=&H00FF00\nPOINT=-100.5,40.25,Camp\nFUTURE=thing\nLINE=-101,40 -100,41\nAREA=-1,1 2,2\nAREA=0,0 1,0 1,1\n");
    const auto extent = overlay.extent();
    ASSERT_TRUE(extent);
    EXPECT_EQ(*extent, (Extent{-101, 1, 0, 41}));
    EXPECT_FALSE(Overlay::parse("; nothing\n").extent());
}

std::string bitmap_24(std::int32_t width, std::int32_t height, bool top_down) {
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    std::string bytes(54 + stride * height, '\0');
    auto put = [&](std::size_t at, auto value) { std::memcpy(bytes.data() + at, &value, sizeof value); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, std::uint32_t(bytes.size()));
    put(10, std::uint32_t(54));
    put(14, std::uint32_t(40));
    put(18, width);
    put(22, top_down ? -height : height);
    put(26, std::uint16_t(1));
    put(28, std::uint16_t(24));
    // First stored row blue, the rest red.
    for (std::int32_t x = 0; x < width; ++x) bytes[54 + x * 3] = '\xFF';
    for (std::int32_t row = 1; row < height; ++row)
        for (std::int32_t x = 0; x < width; ++x) bytes[54 + row * stride + x * 3 + 2] = '\xFF';
    return bytes;
}

// A colour of 1e308 (the reproducer found under UBSan) or NaN keeps the colour before it; points and
// widths that are no numbers are left out.
TEST(Overlay, ColoursNoLongCanHoldAndPointsThatAreNoNumbersAreIgnored) {
    const auto overlay = Overlay::parse("COLOR=1e308\nCOLOR=nan\nWIDTH=nan\nPOINT=-100,40,x\nPOINT=nan,1\nLINE=0,0 inf,1 1,1\n");
    const auto extent = overlay.extent();
    ASSERT_TRUE(extent);
    EXPECT_EQ(*extent, (Extent{-100, 1, 0, 40}));
    const std::filesystem::path found =
        std::filesystem::path(TOLM_SOURCE_DIR) / ".." / "shared" / "testdata" / "repro" / "overlay-colour-1e308.ovr";
    if (!std::filesystem::exists(found)) GTEST_SKIP() << "no shared reproducer at " << found.string();
    EXPECT_FALSE(Overlay::read(found.string()).empty());
}

// An overlay that never ends (a device) or is larger than the limit is refused, not read whole.
TEST(Overlay, AFileThatNeverEndsOrIsTooLargeIsRefusedWithTheLimitNamed) {
#ifndef _WIN32
    if (std::filesystem::exists("/dev/zero")) {
        try {
            (void)Overlay::read("/dev/zero");
            ADD_FAILURE() << "/dev/zero was read as an overlay";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), runtime_errors::invalid_file_format);
            EXPECT_NE(std::string(e.what()).find("64 MB"), std::string::npos) << e.what();
        }
    }
#endif
    const test::ScratchFolder folder("overlay-size");
    const std::string path = folder.file("big.ovr");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string line = "POINT=-100,40,x\n";
        for (std::size_t written = 0; written <= Overlay::k_max_overlay_bytes; written += line.size()) out << line;
    }
    EXPECT_THROW((void)Overlay::read(path), RuntimeError);
    // Within the size, but more positions than the server keeps (4 million points).
    std::filesystem::resize_file(path, Overlay::k_max_overlay_bytes - 16 * 1024);
    try {
        (void)Overlay::read(path);
        ADD_FAILURE() << "an overlay of four million points was read";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::invalid_file_format);
        EXPECT_NE(std::string(e.what()).find("1,000,000 positions"), std::string::npos) << e.what();
    }
    // The largest overlay kept: a million positions.
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (std::size_t i = 0; i < Overlay::k_max_overlay_positions; ++i) out << "POINT=-100,40\n";
    }
    EXPECT_EQ(Overlay::read(path).vertex_count(), Overlay::k_max_overlay_positions);
}

TEST(Bitmap, ReadsBottomUpAndTopDownRows) {
    const auto bottom_up = decode_bitmap(bitmap_24(3, 2, false), "a.bmp");
    ASSERT_EQ(bottom_up.pixels.size(), 6u);
    EXPECT_EQ(bottom_up.pixels[0], 0xFFFF0000u) << "the last stored row is the top one";
    EXPECT_EQ(bottom_up.pixels[3], 0xFF0000FFu);
    const auto top_down = decode_bitmap(bitmap_24(3, 2, true), "b.bmp");
    EXPECT_EQ(top_down.pixels[0], 0xFF0000FFu);
}

TEST(Bitmap, DamagedFilesAreRefusedWithTheirName) {
    const auto good = bitmap_24(5, 4, false);
    for (std::size_t length : {std::size_t(0), std::size_t(20), std::size_t(54), good.size() - 1}) {
        try {
            decode_bitmap(good.substr(0, length), "under.bmp");
            ADD_FAILURE() << "accepted " << length << " bytes";
        } catch (const RuntimeError& e) {
            EXPECT_NE(std::string(e.what()).find("under.bmp"), std::string::npos);
        }
    }
    auto huge = good;
    const std::int32_t width = 30000;
    std::memcpy(huge.data() + 18, &width, 4);
    EXPECT_THROW(decode_bitmap(huge, "huge.bmp"), RuntimeError);
    EXPECT_THROW(read_bitmap("/nonexistent/x.bmp"), RuntimeError);
}

TEST(Clip, RingsAndLinesAreCutToTheBox) {
    const detail::PixelBox box{0, 0, 100, 100};
    std::vector<detail::PixelPoint> out, scratch;
    // A huge square around the box clips to the box itself.
    detail::clip_ring({{-1e7, -1e7}, {1e7, -1e7}, {1e7, 1e7}, {-1e7, 1e7}}, box, out, scratch);
    ASSERT_EQ(out.size(), 4u);
    for (const auto& p : out) {
        EXPECT_TRUE(p.x == 0 || p.x == 100);
        EXPECT_TRUE(p.y == 0 || p.y == 100);
    }
    // A ring inside, touching the box's sides, comes out as it went in; one a hair beyond is cut.
    const std::vector<detail::PixelPoint> inside = {{0, 10}, {100, 0}, {60, 100}, {30, 50}};
    detail::clip_ring(inside, box, out, scratch);
    ASSERT_EQ(out.size(), inside.size());
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_TRUE(out[i].x == inside[i].x && out[i].y == inside[i].y) << i;
    detail::clip_ring({{0, 10}, {100.5, 0}, {60, 100}, {30, 50}}, box, out, scratch);
    EXPECT_EQ(out.size(), 5u);
    for (const auto& p : out) EXPECT_LE(p.x, 100);
    // A line crossing the box twice gives two pieces with exact crossing points.
    std::vector<detail::PixelPoint> pieces;
    std::vector<std::size_t> starts;
    detail::clip_line({{-50, 50}, {150, 50}, {150, 70}, {-50, 70}}, box, pieces, starts);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].x, 0);
    EXPECT_DOUBLE_EQ(pieces[1].x, 100);
    EXPECT_DOUBLE_EQ(pieces[2].x, 100);
    EXPECT_DOUBLE_EQ(pieces[3].x, 0);
    pieces.clear();
    starts.clear();
    detail::clip_line({{-50, -50}, {-10, -20}}, box, pieces, starts);
    EXPECT_TRUE(starts.empty());
}

}  // namespace
}  // namespace tolm::engine
