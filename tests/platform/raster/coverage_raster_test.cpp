#include "platform/raster/coverage_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace tolm::platform {
namespace {

constexpr std::uint32_t k_white = 0xFFFFFFFFu;
constexpr Colour k_black{0xFF000000u};

class CoverageRasterTest : public ::testing::Test {
protected:
    CoverageRasterTest() : m_pixels(64 * 64, k_white) {}

    PixelTarget target() { return {m_pixels.data(), 64, 64, 64}; }
    std::uint32_t at(int x, int y) const { return m_pixels[std::size_t(y) * 64 + std::size_t(x)]; }
    // How much black lies on a pixel, 0 (white) to 1 (black), from its red channel.
    double ink(int x, int y) const { return 1.0 - ((at(x, y) >> 16) & 0xFF) / 255.0; }
    double total_ink() const {
        double sum = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) sum += ink(x, y);
        return sum;
    }
    void rectangle(double left, double top, double right, double bottom) {
        m_raster.move_to(left, top);
        m_raster.line_to(right, top);
        m_raster.line_to(right, bottom);
        m_raster.line_to(left, bottom);
        m_raster.close_path();
    }
    void fill(Colour colour = k_black, FillRule rule = FillRule::even_odd, bool antialias = true) {
        m_raster.fill(target(), colour, rule, antialias);
        m_raster.clear_path();
    }
    void stroke(double width, LineCap cap, bool antialias = true) {
        m_raster.stroke(target(), {k_black, width, cap}, antialias);
        m_raster.clear_path();
    }

    std::vector<std::uint32_t> m_pixels;
    CoverageRaster m_raster;
};

TEST_F(CoverageRasterTest, FillCoversWholePixelsExactlyAndPartPixelsByTheirShare) {
    rectangle(10, 10, 20, 20);
    fill();
    EXPECT_EQ(at(10, 10), 0xFF000000u);
    EXPECT_EQ(at(19, 19), 0xFF000000u);
    EXPECT_EQ(at(9, 15), k_white);
    EXPECT_EQ(at(20, 15), k_white);
    EXPECT_EQ(at(15, 20), k_white);

    rectangle(30.5, 30, 40, 40.25);
    fill();
    EXPECT_NEAR(ink(30, 35), 0.5, 0.01);
    EXPECT_NEAR(ink(35, 40), 0.25, 0.01);
    EXPECT_NEAR(ink(30, 40), 0.125, 0.01);
    EXPECT_NEAR(total_ink(), 100 + 9.5 * 10.25, 0.1);
}

TEST_F(CoverageRasterTest, SlantedEdgesCoverTheirArea) {
    // A triangle of area 0.5 * 40 * 30 = 600 with edges at odd slopes.
    m_raster.move_to(3.3, 5.1);
    m_raster.line_to(43.3, 12.7);
    m_raster.line_to(17.9, 35.1);
    fill();
    const double area = std::abs((43.3 - 3.3) * (35.1 - 5.1) - (17.9 - 3.3) * (12.7 - 5.1)) / 2;
    EXPECT_NEAR(total_ink(), area, 0.5);
}

TEST_F(CoverageRasterTest, HolesStayOpenUnderEitherRuleWhenWoundOppositeAndEvenOddOpensThemAnyway) {
    rectangle(10, 10, 50, 50);
    // The hole wound the other way round.
    m_raster.move_to(20, 20);
    m_raster.line_to(20, 40);
    m_raster.line_to(40, 40);
    m_raster.line_to(40, 20);
    m_raster.close_path();
    fill(k_black, FillRule::non_zero);
    EXPECT_EQ(at(30, 30), k_white);
    EXPECT_EQ(at(15, 15), 0xFF000000u);

    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    rectangle(10, 10, 50, 50);
    rectangle(20, 20, 40, 40);  // same winding: only the even-odd rule leaves a hole
    fill(k_black, FillRule::even_odd);
    EXPECT_EQ(at(30, 30), k_white);
    rectangle(10, 10, 50, 50);
    rectangle(20, 20, 40, 40);
    fill(k_black, FillRule::non_zero);
    EXPECT_EQ(at(30, 30), 0xFF000000u);
}

TEST_F(CoverageRasterTest, ShapesReachingFarOutsideThePictureAreCutCleanly) {
    // Left of the picture an edge still covers what lies to its right.
    rectangle(-1e6, 10, 30, 20);
    fill();
    EXPECT_EQ(at(0, 15), 0xFF000000u);
    EXPECT_EQ(at(29, 15), 0xFF000000u);
    EXPECT_EQ(at(30, 15), k_white);
    // Wholly outside, or given points that are not numbers: nothing drawn, nothing broken.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    rectangle(100, 100, 200, 200);
    rectangle(-50, -50, -10, -10);
    fill();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    m_raster.move_to(nan, 5);
    m_raster.line_to(10, std::numeric_limits<double>::infinity());
    m_raster.line_to(1e300, -1e300);
    fill();
    m_raster.move_to(nan, 5);
    m_raster.line_to(1e300, 1e300);
    m_raster.line_to(1e300, -1e300);
    m_raster.line_to(-1e300, -1e300);
    stroke(3, LineCap::round);
    EXPECT_EQ(total_ink(), 0.0);
}

TEST_F(CoverageRasterTest, TranslucentInkBlendsWithWhatIsBeneath) {
    rectangle(0, 0, 10, 10);
    fill(Colour{0x80000000u});
    EXPECT_EQ(at(5, 5), 0xFF7F7F7Fu);
    rectangle(0, 0, 10, 10);
    fill(Colour{0x80FF0000u});
    const std::uint32_t p = at(5, 5);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(double((p >> 16) & 0xFF), 0xBF, 1);
    EXPECT_NEAR(double(p & 0xFF), 0x3F, 1);
}

TEST_F(CoverageRasterTest, WithoutAntialiasingPixelsAreAllOrNothing) {
    m_raster.move_to(3.3, 5.1);
    m_raster.line_to(43.3, 12.7);
    m_raster.line_to(17.9, 35.1);
    fill(k_black, FillRule::even_odd, false);
    m_raster.move_to(5, 50);
    m_raster.line_to(60, 41);
    stroke(0.5, LineCap::butt, false);
    for (const std::uint32_t p : m_pixels) ASSERT_TRUE(p == k_white || p == 0xFF000000u) << std::hex << p;
    EXPECT_GT(total_ink(), 50) << "a thin line still shows";
}

TEST_F(CoverageRasterTest, StrokeCoversItsWidthAlongItsLength) {
    m_raster.move_to(10, 20.5);
    m_raster.line_to(50, 20.5);
    stroke(3, LineCap::butt);
    EXPECT_NEAR(total_ink(), 40 * 3, 0.5);
    EXPECT_EQ(at(30, 20), 0xFF000000u);
    EXPECT_EQ(at(9, 20), k_white) << "a butt end stops at the end point";

    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.move_to(10, 20.5);
    m_raster.line_to(50, 20.5);
    stroke(3, LineCap::round);
    EXPECT_NEAR(total_ink(), 40 * 3 + std::numbers::pi * 1.5 * 1.5, 1.0);

    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.move_to(10, 20.5);
    m_raster.line_to(50, 20.5);
    stroke(3, LineCap::square);
    EXPECT_NEAR(total_ink(), 43 * 3, 0.5);
}

TEST_F(CoverageRasterTest, ThinLinesAreFaintAndOverlapsAreNotPaintedTwice) {
    m_raster.move_to(5, 30.5);
    m_raster.line_to(55, 30.5);
    stroke(0.5, LineCap::butt);
    EXPECT_NEAR(ink(30, 30), 0.5, 0.01);
    const double once = total_ink();
    EXPECT_NEAR(once, 50 * 0.5, 0.3);

    // The same line drawn back over itself and again as a second subpath, as county outlines are
    // where two counties meet: the line looks the same.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.move_to(5, 30.5);
    m_raster.line_to(55, 30.5);
    m_raster.line_to(5, 30.5);
    m_raster.move_to(55, 30.5);
    m_raster.line_to(5, 30.5);
    stroke(0.5, LineCap::butt);
    EXPECT_NEAR(total_ink(), once, 0.3);
}

TEST_F(CoverageRasterTest, AnOutlineCutIntoRoundEndedPiecesLaysTheSamePixelsAsWhole) {
    // Two areas side by side, their shared side drawn once: the right one's outline comes in two
    // pieces that stop where the shared side begins and ends. At every width, and translucent so
    // that a pixel laid twice would show, the pixels are those of both outlines drawn whole.
    const Colour grey{0x80404040u};
    const double xs[] = {8.3, 30.6, 52.2}, top = 9.7, bottom = 47.4;
    for (const double width : {0.35, 1.2, 3.0}) {
        std::fill(m_pixels.begin(), m_pixels.end(), k_white);
        for (int left = 0; left < 2; ++left) rectangle(xs[left], top, xs[left + 1], bottom);
        m_raster.stroke(target(), {grey, width, LineCap::butt}, true);
        m_raster.clear_path();
        const std::vector<std::uint32_t> whole = m_pixels;

        std::fill(m_pixels.begin(), m_pixels.end(), k_white);
        rectangle(xs[0], top, xs[1], bottom);
        m_raster.move_to(xs[1], top);
        m_raster.line_to(xs[2], top);
        m_raster.line_to(xs[2], bottom);
        m_raster.line_to(xs[1], bottom);
        m_raster.stroke(target(), {grey, width, LineCap::round}, true);
        m_raster.clear_path();
        EXPECT_EQ(m_pixels, whole) << "width " << width;
    }
}

TEST_F(CoverageRasterTest, LinesToIsLineToPointByPoint) {
    rectangle(10.3, 12.6, 40.8, 44.1);
    fill();
    const std::vector<std::uint32_t> square = m_pixels;
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    const PathPoint rest[] = {{40.8, 12.6}, {40.8, 44.1}, {10.3, 44.1}};
    m_raster.move_to(10.3, 12.6);
    m_raster.lines_to(rest);
    fill();
    EXPECT_EQ(m_pixels, square);
}

// The largest difference of any channel of any pixel.
int largest_difference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            most = std::max(most, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    return most;
}

TEST_F(CoverageRasterTest, ShadedAreasFillAsIfEachShadeWereFilledInTurn) {
    // Four areas that tile a band: west and middle-west in shade 0, middle-east in shade 1, east
    // (running out of the picture) in shade 2; the borders slant, and the colours are translucent,
    // so that a border walked wrongly or a colour laid out of turn would show.
    const Colour colours[] = {Colour{0x80C04020u}, Colour{0x6020A040u}, Colour{0x902040C0u}};
    const PathPoint top_left{3.2, 8.7}, bottom_left{4.9, 55.1};
    const PathPoint cuts_top[] = {{19.4, 8.7}, {33.6, 8.7}, {47.1, 8.7}}, cuts_bottom[] = {{17.8, 55.1}, {36.2, 55.1}, {49.9, 55.1}};
    const PathPoint far_top{90, 8.7}, far_bottom{90, 55.1};
    struct Area {
        std::vector<PathPoint> ring;  // clockwise, first point repeated last
        std::uint8_t shade;
    };
    const std::vector<Area> areas = {
        {{top_left, cuts_top[0], cuts_bottom[0], bottom_left, top_left}, 0},
        {{cuts_top[0], cuts_top[1], cuts_bottom[1], cuts_bottom[0], cuts_top[0]}, 0},
        {{cuts_top[1], cuts_top[2], cuts_bottom[2], cuts_bottom[1], cuts_top[1]}, 1},
        {{cuts_top[2], far_top, far_bottom, cuts_bottom[2], cuts_top[2]}, 2},
    };
    // Each shade filled in turn, its areas' rings whole.
    for (std::uint8_t shade = 0; shade < 3; ++shade) {
        for (const Area& area : areas) {
            if (area.shade != shade) continue;
            m_raster.move_to(area.ring[0].x, area.ring[0].y);
            m_raster.lines_to(std::span(area.ring).subspan(1));
            m_raster.close_path();
        }
        fill(colours[shade]);
    }
    const std::vector<std::uint32_t> in_turn = m_pixels;

    // One shaded fill, the areas given in reverse: each border (edge 2 of the area to its west, the
    // edge to that ring's third point) given once, by the western area, with the eastern area's
    // shade beyond it, or by neither between two areas of one shade.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    for (std::size_t k = areas.size(); k-- > 0;) {
        const Area& area = areas[k];
        std::vector<std::uint8_t> beyond(area.ring.size() - 1, k_edge_alone);
        if (k + 1 < areas.size()) beyond[1] = areas[k + 1].shade == area.shade ? k_edge_left_out : areas[k + 1].shade;
        if (k > 0) beyond[3] = k_edge_left_out;
        m_raster.begin_shaded(area.ring[0].x, area.ring[0].y, area.shade);
        m_raster.shaded_lines_to(std::span(area.ring).subspan(1), beyond);
    }
    m_raster.fill_shades(target(), colours, FillRule::even_odd, true);
    m_raster.clear_path();
    // Walked once, a border's cells round the same for both sides: a level of difference at most.
    EXPECT_LE(largest_difference(m_pixels, in_turn), 1);
    EXPECT_NE(at(40, 30), k_white);
    EXPECT_EQ(at(1, 30), k_white);

    // A shade given no colour is not painted, and the rest are as before.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.begin_shaded(10, 10, 0);
    const PathPoint square[] = {{20, 10}, {20, 20}, {10, 20}};
    const std::uint8_t alone[] = {k_edge_alone, k_edge_alone, k_edge_alone};
    m_raster.shaded_lines_to(square, alone);
    m_raster.begin_shaded(30, 10, 5);
    const PathPoint other[] = {{40, 10}, {40, 20}, {30, 20}};
    m_raster.shaded_lines_to(other, alone);
    m_raster.fill_shades(target(), std::span(colours).first(1), FillRule::even_odd, true);
    m_raster.clear_path();
    EXPECT_NE(at(15, 15), k_white);
    EXPECT_EQ(at(35, 15), k_white);
    EXPECT_EQ(at(25, 15), k_white);
}

TEST_F(CoverageRasterTest, SharpTurnsJoinWithoutGaps) {
    // A zigzag of short segments: every pixel along the path's middle is inked to the full width.
    m_raster.move_to(5, 10);
    for (int i = 1; i <= 10; ++i) m_raster.line_to(5 + 5 * i, i % 2 ? 40 : 10);
    stroke(4, LineCap::round);
    for (int i = 0; i < 10; ++i) {
        const double x0 = 5 + 5 * i, y0 = i % 2 ? 40 : 10, x1 = 5 + 5 * (i + 1), y1 = (i + 1) % 2 ? 40 : 10;
        for (double t = 0; t <= 1; t += 0.05) {
            const int x = static_cast<int>(x0 + (x1 - x0) * t), y = static_cast<int>(y0 + (y1 - y0) * t);
            ASSERT_GT(ink(x, y), 0.9) << x << "," << y;
        }
    }
}

TEST_F(CoverageRasterTest, DotsAndClosedOutlines) {
    // A path that never moves is a round dot, and nothing with flat ends.
    m_raster.move_to(20, 20);
    m_raster.line_to(20, 20);
    stroke(6, LineCap::butt);
    EXPECT_EQ(total_ink(), 0.0);
    m_raster.move_to(20, 20);
    m_raster.line_to(20, 20);
    stroke(6, LineCap::round);
    EXPECT_NEAR(total_ink(), std::numbers::pi * 9, 0.6);
    // Segments far shorter than a pixel, some too short to be measured along themselves, lay the
    // same dot. Near the origin the shortest are distinct points.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.move_to(0, 0);
    m_raster.line_to(0, 0);
    stroke(6, LineCap::round);
    const std::vector<std::uint32_t> dot = m_pixels;
    for (const double length : {1e-30, 1e-20, 1e-9, 1e-7, 3e-6, 1e-3}) {
        std::fill(m_pixels.begin(), m_pixels.end(), k_white);
        m_raster.move_to(0, 0);
        m_raster.line_to(length, length);
        stroke(6, LineCap::round);
        int most = 0;
        for (std::size_t i = 0; i < dot.size(); ++i) most = std::max(most, std::abs(int(dot[i] & 0xFF) - int(m_pixels[i] & 0xFF)));
        EXPECT_LE(most, 2) << "a segment " << length << " long";
    }

    // A closed outline is joined all round: no caps, and its closing side is drawn.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    rectangle(10, 10, 50, 50);
    stroke(2, LineCap::butt);
    EXPECT_EQ(at(30, 10), 0xFF000000u);
    EXPECT_EQ(at(10, 30), 0xFF000000u) << "the closing side";
    EXPECT_EQ(at(30, 30), k_white);
    EXPECT_EQ(at(8, 8), k_white);
    // Four sides of 40 by 2, overlapping in a square at each inner corner, rounded at each outer one.
    EXPECT_NEAR(total_ink(), 4 * 40 * 2 - 4 + std::numbers::pi, 1.0);
}

TEST_F(CoverageRasterTest, ALineOverItsCasingLooksAsIfEachWereDrawnAfresh) {
    // The casing, then the line along the same path: the line comes from the casing's marks.
    auto road = [&] {
        m_raster.move_to(5, 10.3);
        m_raster.line_to(40.7, 33.1);
        m_raster.line_to(58, 12);
    };
    road();
    stroke(7, LineCap::round);
    road();
    m_raster.stroke(target(), {Colour{0xFFFF0000u}, 4, LineCap::round}, true);
    m_raster.clear_path();
    const std::vector<std::uint32_t> reused = m_pixels;

    CoverageRaster fresh;
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    road();
    stroke(7, LineCap::round);
    fresh.move_to(5, 10.3);
    fresh.line_to(40.7, 33.1);
    fresh.line_to(58, 12);
    fresh.stroke(target(), {Colour{0xFFFF0000u}, 4, LineCap::round}, true);
    // The marks are distances in 255 steps across the casing's reach: at most a step or two of
    // coverage apart from measuring afresh.
    int worst = 0;
    for (std::size_t i = 0; i < m_pixels.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            worst = std::max(worst, std::abs(int((m_pixels[i] >> shift) & 0xFF) - int((reused[i] >> shift) & 0xFF)));
    EXPECT_LE(worst, 3);

    // A casing stroked with its path cleared keeps the path for the line all the same.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    CoverageRaster clearing;
    for (const double width : {7.0, 4.0}) {
        clearing.move_to(5, 10.3);
        clearing.line_to(40.7, 33.1);
        clearing.line_to(58, 12);
        clearing.stroke(target(), {Colour{width > 5 ? 0xFF000000u : 0xFFFF0000u}, width, LineCap::round}, true, CoverageRaster::PathAfter::cleared);
        EXPECT_TRUE(clearing.path_empty());
    }
    EXPECT_EQ(m_pixels, reused);

    // A wider stroke of the same path cannot come from narrower marks.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    road();
    stroke(2, LineCap::round);
    road();
    stroke(9, LineCap::round);
    EXPECT_EQ(at(40, 35), 0xFF000000u) << "two pixels below the bend lies inside the wider line only";
}

// The exact coverage of a pixel by a round-capped, round-joined line half_width wide through
// `points`: the share across the line of a one-pixel box at the centre's distance from the path.
double exact_round_coverage(const std::vector<std::array<double, 2>>& points, double half_width, double x, double y) {
    double nearest = 1e30;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double ax = points[i][0], ay = points[i][1], dx = points[i + 1][0] - ax, dy = points[i + 1][1] - ay;
        const double length2 = dx * dx + dy * dy;
        const double t = length2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / length2, 0.0, 1.0) : 0.0;
        nearest = std::min(nearest, std::hypot(x - ax - t * dx, y - ay - t * dy));
    }
    return std::clamp(std::min(nearest + 0.5, half_width) - std::max(nearest - 0.5, -half_width), 0.0, 1.0);
}

TEST_F(CoverageRasterTest, StrokesOfAnyShapeMatchTheExactDistanceFromTheirPath) {
    // Short and long segments at every slope, level and upright ones, lines reaching off the
    // picture: each pixel's ink is what its distance from the path gives, so no pixel in reach is
    // left out wherever the stroke measures only part of its box.
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> place(-8, 72), width(0.6, 9);
    std::uniform_int_distribution<int> points(1, 9), kind(0, 3);
    for (int path = 0; path < 120; ++path) {
        std::fill(m_pixels.begin(), m_pixels.end(), k_white);
        std::vector<std::array<double, 2>> line{{place(random), place(random)}};
        const int n = points(random);
        for (int i = 0; i < n; ++i) {
            const auto [x, y] = line.back();
            switch (kind(random)) {
            case 0: line.push_back({x + place(random) / 20, y + place(random) / 20}); break;  // short
            case 1: line.push_back({place(random), y}); break;                                 // level
            case 2: line.push_back({x, place(random)}); break;                                 // upright
            default: line.push_back({place(random), place(random)}); break;
            }
        }
        m_raster.move_to(line[0][0], line[0][1]);
        for (std::size_t i = 1; i < line.size(); ++i) m_raster.line_to(line[i][0], line[i][1]);
        const double w = width(random);
        stroke(w, LineCap::round);
        double worst = 0;
        int worst_x = 0, worst_y = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const double error = std::abs(ink(x, y) - exact_round_coverage(line, w / 2, x + 0.5, y + 0.5));
                if (error > worst) worst = error, worst_x = x, worst_y = y;
            }
        // The marks are squared distances in 255 steps across the reach.
        ASSERT_LE(worst, 0.05) << "path " << path << ", " << line.size() << " points, width " << w << ": pixel "
                               << worst_x << ", " << worst_y;
    }
}

TEST_F(CoverageRasterTest, PathsOfManyPointsAreStrokedAsCloseToTheirShapeAsPathsOfFew) {
    // A street at a middle zoom has a point every pixel or two, most of them on the line through
    // their neighbours. Leaving those out must not move the line: a gentle arc, a straight run
    // wobbling by a twentieth of a pixel, and a half-pixel kink that has to stay.
    std::vector<std::array<double, 2>> arc, wobble, kink;
    for (int i = 0; i <= 300; ++i) {
        const double angle = std::numbers::pi * i / 600;
        arc.push_back({4 + 56 * std::cos(angle), 4 + 56 * std::sin(angle)});
        wobble.push_back({2 + i * 0.2, 30 + (i % 2 ? 0.05 : -0.05)});
        kink.push_back({2 + i * 0.2, 50 + (i == 150 ? 0.5 : 0.0)});
    }
    for (const auto* line : {&arc, &wobble, &kink}) {
        std::fill(m_pixels.begin(), m_pixels.end(), k_white);
        m_raster.move_to((*line)[0][0], (*line)[0][1]);
        for (std::size_t i = 1; i < line->size(); ++i) m_raster.line_to((*line)[i][0], (*line)[i][1]);
        stroke(3, LineCap::round);
        double worst = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) worst = std::max(worst, std::abs(ink(x, y) - exact_round_coverage(*line, 1.5, x + 0.5, y + 0.5)));
        EXPECT_LE(worst, 0.1) << "path of " << line->size() << " points starting at " << (*line)[0][1];
    }
}

TEST_F(CoverageRasterTest, AFillGathersARowsCellsWhateverOrderItsEdgesCameIn) {
    // A fan of thin wedges meeting in one pixel, drawn in one order and in the reverse: the same
    // pixels, and together they cover the disc their tips reach.
    auto fan = [&](bool reversed) {
        std::fill(m_pixels.begin(), m_pixels.end(), k_white);
        constexpr int k_wedges = 90;
        for (int k = 0; k < k_wedges; ++k) {
            const int w = reversed ? k_wedges - 1 - k : k;
            const double a = 2 * std::numbers::pi * w / k_wedges, b = 2 * std::numbers::pi * (w + 1) / k_wedges;
            m_raster.move_to(32.3, 31.7);
            m_raster.line_to(32.3 + 25 * std::cos(a), 31.7 + 25 * std::sin(a));
            m_raster.line_to(32.3 + 25 * std::cos(b), 31.7 + 25 * std::sin(b));
            m_raster.close_path();
        }
        fill(k_black, FillRule::non_zero);
        return m_pixels;
    };
    const auto forwards = fan(false);
    EXPECT_EQ(fan(true), forwards);
    EXPECT_EQ(at(32, 31), 0xFF000000u);
    EXPECT_NEAR(total_ink(), 90 * 0.5 * 25 * 25 * std::sin(2 * std::numbers::pi / 90), 0.5);

    // A row wider than 64 pixels and a picture wider than 4096: cells either side of each block
    // of 64 columns, and at the last column, each keep their share.
    std::vector<std::uint32_t> wide(5000 * 2, k_white);
    const PixelTarget wide_target{wide.data(), 5000, 2, 5000};
    for (const double left : {63.5, 127.75, 4998.5}) {
        m_raster.move_to(left, 0);
        m_raster.line_to(left + 0.5, 0);
        m_raster.line_to(left + 0.5, 2);
        m_raster.line_to(left, 2);
        m_raster.close_path();
    }
    m_raster.move_to(200.25, 0);
    m_raster.line_to(4100.5, 0);
    m_raster.line_to(4100.5, 1);
    m_raster.line_to(200.25, 1);
    m_raster.close_path();
    m_raster.fill(wide_target, k_black, FillRule::non_zero, true);
    m_raster.clear_path();
    auto wide_ink = [&](int x, int y) { return 1.0 - ((wide[std::size_t(y) * 5000 + std::size_t(x)] >> 16) & 0xFF) / 255.0; };
    EXPECT_NEAR(wide_ink(63, 1), 0.5, 0.01);
    EXPECT_NEAR(wide_ink(64, 1), 0.0, 0.01);
    EXPECT_NEAR(wide_ink(127, 1), 0.25, 0.01);
    EXPECT_NEAR(wide_ink(128, 1), 0.25, 0.01);
    EXPECT_NEAR(wide_ink(4998, 1), 0.5, 0.01);
    EXPECT_NEAR(wide_ink(4999, 0), 0.0, 0.01);
    EXPECT_NEAR(wide_ink(200, 0), 0.75, 0.01);
    EXPECT_EQ(wide[1000], 0xFF000000u);
    EXPECT_EQ(wide[4099], 0xFF000000u);
    EXPECT_NEAR(wide_ink(4100, 0), 0.5, 0.01);
    EXPECT_EQ(wide[5000 + 1000], k_white);
}

TEST_F(CoverageRasterTest, ALineLaysTheSameInkWhereverThePicturesEdgeCutsItsTiles) {
    // Lines are laid sixteen pixels at a time, and pixel by pixel where the picture's edge leaves
    // a narrower strip: a translucent line over a coloured ground comes out the same either way.
    auto paint = [&](int width) {
        std::vector<std::uint32_t> pixels(std::size_t(width) * 24, 0xFF3080C0u);
        for (const double w : {5.0, 2.0}) {  // a casing and its line, the second from the first's marks
            m_raster.move_to(12.3, 2);
            m_raster.line_to(21.6, 21.2);
            m_raster.move_to(0.4, 3.7);
            m_raster.line_to(4.2, 9.1);
            m_raster.line_to(2.6, 20.5);
            m_raster.stroke({pixels.data(), width, 24, width}, {Colour{w > 3 ? 0xB0402010u : 0x60F0E0D0u}, w, LineCap::round}, true);
            m_raster.clear_path();
        }
        m_raster.forget_strokes();
        return pixels;
    };
    const auto whole_tiles = paint(32);
    // Pictures narrower than a tile, or than the eight pixels measured at a time, too.
    for (const int width : {24, 13, 5}) {
        const auto cut_tile = paint(width);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(whole_tiles[std::size_t(y) * 32 + std::size_t(x)], cut_tile[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                    << "width " << width << ": " << x << ", " << y;
    }
}

TEST_F(CoverageRasterTest, ANarrowLineLaidFromWideMarksLeavesNoneOfThemForTheNextStroke) {
    // A road's line is laid from its casing's marks, which reach further than the line: the marks
    // it leaves unpainted must be wiped all the same, or the next stroke through those tiles paints
    // the old road's casing again.
    m_raster.move_to(4, 20);
    m_raster.line_to(60, 20);
    stroke(9, LineCap::round);
    m_raster.move_to(4, 20);
    m_raster.line_to(60, 20);
    stroke(2, LineCap::round);
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.move_to(0, 30);
    m_raster.line_to(63, 30);
    stroke(9, LineCap::round);
    EXPECT_EQ(at(10, 22), k_white) << "two pixels from the first road, eight from the second";
    EXPECT_EQ(at(10, 30), 0xFF000000u);
}

TEST_F(CoverageRasterTest, EveryRankOfRoadKeepsItsCasingsMarksUntilItsLineIsLaid) {
    // A street map strokes the casings of several road ranks, then their lines in the same order;
    // each line laid from its casing's kept marks looks as if it were measured afresh, and marks
    // wiped for one path leave nothing of it behind in the next.
    auto road = [](CoverageRaster& raster, int rank) {
        raster.move_to(2 + rank * 6.3, 3);
        raster.line_to(9 + rank * 5.1, 61);
        raster.line_to(60 - rank * 2.7, 30 + rank);
    };
    constexpr int ranks = 9;
    for (int rank = 0; rank < ranks; ++rank) {
        road(m_raster, rank);
        m_raster.stroke(target(), {Colour{0xFF202020u}, 5, LineCap::round}, true);
        m_raster.clear_path();
    }
    for (int rank = 0; rank < ranks; ++rank) {
        road(m_raster, rank);
        m_raster.stroke(target(), {Colour{0xFFFFD080u}, 3, LineCap::round}, true);
        m_raster.clear_path();
    }
    const std::vector<std::uint32_t> kept = m_pixels;

    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    for (const double width : {5.0, 3.0})
        for (int rank = 0; rank < ranks; ++rank) {
            CoverageRaster fresh;
            road(fresh, rank);
            fresh.stroke(target(), {Colour{width == 5 ? 0xFF202020u : 0xFFFFD080u}, width, LineCap::round}, true);
        }
    int worst = 0;
    for (std::size_t i = 0; i < m_pixels.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            worst = std::max(worst, std::abs(int((m_pixels[i] >> shift) & 0xFF) - int((kept[i] >> shift) & 0xFF)));
    EXPECT_LE(worst, 3);

    // A path stroked after them all starts from a clean mask.
    std::fill(m_pixels.begin(), m_pixels.end(), k_white);
    m_raster.move_to(30, 10);
    m_raster.line_to(34, 10);
    stroke(2, LineCap::round);
    EXPECT_NEAR(total_ink(), 4 * 2 + std::numbers::pi, 0.3);
}

TEST_F(CoverageRasterTest, OneRasterServesPicturesOfAnySize) {
    std::vector<std::uint32_t> small(16 * 8, k_white);
    m_raster.move_to(1, 4);
    m_raster.line_to(15, 4);
    m_raster.stroke({small.data(), 16, 8, 16}, {k_black, 2, LineCap::butt}, true);
    m_raster.clear_path();
    EXPECT_EQ(small[3 * 16 + 8], 0xFF000000u);

    // The same path in the big picture: nothing of the small one's marks carries over.
    m_raster.move_to(1, 4);
    m_raster.line_to(15, 4);
    stroke(2, LineCap::butt);
    EXPECT_EQ(at(8, 3), 0xFF000000u);
    EXPECT_EQ(at(8, 8), k_white);
    EXPECT_NEAR(total_ink(), 14 * 2, 0.3);
}

TEST_F(CoverageRasterTest, TheWidestPictureFillsExactlyAndAWiderOneIsLeftAlone) {
    // Edges as long as the widest picture painters allow take the fixed-point walk to its largest
    // products: the slanted triangle still covers its exact area.
    constexpr std::int32_t width = k_max_paint_side, height = 3;
    std::vector<std::uint32_t> wide(std::size_t(width) * height, k_white);
    auto triangle = [&] {
        m_raster.move_to(0, 0);
        m_raster.line_to(width, height);
        m_raster.line_to(0, height);
        m_raster.close_path();
    };
    triangle();
    m_raster.fill({wide.data(), width, height, width}, k_black, FillRule::non_zero, true);
    m_raster.clear_path();
    double covered = 0;
    for (const std::uint32_t pixel : wide) covered += 1.0 - ((pixel >> 16) & 0xFF) / 255.0;
    EXPECT_NEAR(covered, width * height / 2.0, width * height * 0.002);
    EXPECT_EQ(wide[std::size_t(2) * width], 0xFF000000u);
    EXPECT_EQ(wide[std::size_t(width) - 1], k_white);

    // Painters refuse anything wider; the raster leaves it be rather than overflow its walk, as
    // twice that width would.
    std::vector<std::uint32_t> wider(std::size_t(2 * width) * height, k_white);
    m_raster.move_to(0, 0);
    m_raster.line_to(2 * width, height);
    m_raster.line_to(0, height);
    m_raster.close_path();
    m_raster.fill({wider.data(), 2 * width, height, 2 * width}, k_black, FillRule::non_zero, true);
    EXPECT_TRUE(std::all_of(wider.begin(), wider.end(), [](std::uint32_t p) { return p == k_white; }));
}

}  // namespace
}  // namespace tolm::platform
