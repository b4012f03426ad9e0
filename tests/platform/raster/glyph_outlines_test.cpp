#include "platform/raster/glyph_outlines.h"

#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

namespace tolm::platform {
namespace {

using Kind = OutlinePoint::Kind;

std::vector<OutlinePoint> square(double side, double mark = 0) {
    return {{mark, 0, Kind::move}, {side, 0, Kind::line}, {side, -side, Kind::line}, {0, -side, Kind::line}, {0, 0, Kind::close}};
}

TEST(GlyphOutlines, KeepsEachTextApartBySizeWeightAndTurn) {
    GlyphOutlines outlines;
    outlines.keep("Main St", 10, false, false, square(1, 0.1));
    outlines.keep("Main St", 10, true, false, square(1, 0.2));
    outlines.keep("Main St", 10, false, true, square(1, 0.3));
    outlines.keep("Main St", 10.5, false, false, square(1, 0.4));
    // A text that begins with what would be another style's key bytes is still its own.
    outlines.keep(std::string("Main St\0", 8), 10, false, false, square(1, 0.5));
    ASSERT_EQ(outlines.size(), 5u);
    EXPECT_DOUBLE_EQ(outlines.find("Main St", 10, false, false)->front().x, 0.1);
    EXPECT_DOUBLE_EQ(outlines.find("Main St", 10, true, false)->front().x, 0.2);
    EXPECT_DOUBLE_EQ(outlines.find("Main St", 10, false, true)->front().x, 0.3);
    EXPECT_DOUBLE_EQ(outlines.find("Main St", 10.5, false, false)->front().x, 0.4);
    EXPECT_EQ(outlines.find("Main", 10, false, false), nullptr);
    EXPECT_EQ(outlines.find("Main St", 11, false, false), nullptr);

    // Keeping a text again replaces its outline.
    outlines.keep("Main St", 10, false, false, square(2, 0.6));
    EXPECT_EQ(outlines.size(), 5u);
    EXPECT_DOUBLE_EQ(outlines.find("Main St", 10, false, false)->front().x, 0.6);
}

TEST(GlyphOutlines, StaysWithinItsBoundByLettingTheLeastRecentlyUsedGo) {
    GlyphOutlines probe;
    probe.keep("A", 10, false, false, square(1));
    const std::size_t one = probe.bytes();

    GlyphOutlines outlines(3 * one + one / 2);
    outlines.keep("A", 10, false, false, square(1));
    outlines.keep("B", 10, false, false, square(1));
    outlines.keep("C", 10, false, false, square(1));
    ASSERT_NE(outlines.find("A", 10, false, false), nullptr);  // A is used again: B is the oldest now
    outlines.keep("D", 10, false, false, square(1));
    EXPECT_EQ(outlines.size(), 3u);
    EXPECT_LE(outlines.bytes(), 3 * one + one / 2);
    EXPECT_EQ(outlines.find("B", 10, false, false), nullptr);
    EXPECT_NE(outlines.find("A", 10, false, false), nullptr);
    EXPECT_NE(outlines.find("C", 10, false, false), nullptr);
    EXPECT_NE(outlines.find("D", 10, false, false), nullptr);

    // One outline larger than the whole bound is still kept, alone.
    std::vector<OutlinePoint> long_text;
    for (int i = 0; i < 1000; ++i) long_text.push_back({double(i), 0, i == 0 ? Kind::move : Kind::line});
    EXPECT_EQ(outlines.keep("Long", 10, false, false, long_text).size(), 1000u);
    EXPECT_EQ(outlines.size(), 1u);
}

TEST(GlyphOutlines, TracesTheOutlineTurnedAboutItsOriginAndMovedToItsPlace) {
    std::vector<std::uint32_t> pixels(32 * 32, 0xFFFFFFFFu);
    const PixelTarget target{pixels.data(), 32, 32, 32};
    CoverageRaster raster;
    // A 4-pixel square standing on the baseline, turned a quarter clockwise about (10, 20): its
    // top points right, so it lies in x 10 to 14 and y 20 to 24.
    GlyphOutlines::trace(square(4), 10, 20, std::numbers::pi / 2, raster);
    raster.fill(target, Colour{0xFF000000u}, FillRule::non_zero, true);
    raster.clear_path();
    auto at = [&](int x, int y) { return pixels[std::size_t(y) * 32 + std::size_t(x)]; };
    EXPECT_EQ(at(10, 20), 0xFF000000u);
    EXPECT_EQ(at(13, 23), 0xFF000000u);
    EXPECT_EQ(at(9, 21), 0xFFFFFFFFu);
    EXPECT_EQ(at(12, 19), 0xFFFFFFFFu);
    EXPECT_EQ(at(14, 21), 0xFFFFFFFFu);

    // Unturned it stands above the baseline; a closed subpath ends it, and the next starts afresh.
    std::fill(pixels.begin(), pixels.end(), 0xFFFFFFFFu);
    std::vector<OutlinePoint> two = square(2);
    for (const OutlinePoint& p : square(2)) two.push_back({p.x + 5, p.y, p.kind});
    GlyphOutlines::trace(two, 3.0, 8.0, 0, raster);
    raster.fill(target, Colour{0xFF000000u}, FillRule::non_zero, true);
    EXPECT_EQ(at(3, 6), 0xFF000000u);
    EXPECT_EQ(at(4, 7), 0xFF000000u);
    EXPECT_EQ(at(3, 8), 0xFFFFFFFFu);
    EXPECT_EQ(at(6, 7), 0xFFFFFFFFu) << "nothing joins the two letters";
    EXPECT_EQ(at(8, 7), 0xFF000000u);
}

}  // namespace
}  // namespace tolm::platform
