#include "tools/tolm-import/geometry_repair.h"

#include <gtest/gtest.h>

#include <limits>

namespace tolm::importer {
namespace {

using engine::LonLat;
using engine::Ring;

TEST(CleanRing, DropsRepeatsAndBadPointsAndClosesTheRing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Ring ring = {{0, 0}, {0, 0}, {1, 0}, {nan, 3}, {1, 1}, {1, 1}, {0, 1}, {200, 5}};
    Ring cleaned = clean_ring(ring);
    Ring expected = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    EXPECT_EQ(cleaned, expected);
}

TEST(CleanRing, RingsWithoutAreaAreDropped) {
    EXPECT_TRUE(clean_ring({}).empty());
    EXPECT_TRUE(clean_ring({{0, 0}, {1, 1}, {0, 0}}).empty());             // two distinct corners
    EXPECT_TRUE(clean_ring({{0, 0}, {1, 1}, {2, 2}, {0, 0}}).empty());     // all on one line
    EXPECT_TRUE(clean_ring({{5, 5}, {5, 5}, {5, 5}, {5, 5}}).empty());     // quantised to one point
}

TEST(CleanPolyline, KeepsOnlyLinesOfTwoDistinctPoints) {
    EXPECT_TRUE(clean_polyline({{1, 1}, {1, 1}}).empty());
    engine::Polyline expected = {{1, 1}, {2, 2}};
    EXPECT_EQ(clean_polyline({{1, 1}, {1, 1}, {2, 2}}), expected);
}

TEST(OrientRing, OuterRingsRunCounterClockwiseAndHolesClockwise) {
    Ring ring = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}};  // clockwise
    orient_ring(ring, true);
    EXPECT_GT(signed_area(ring), 0);
    orient_ring(ring, false);
    EXPECT_LT(signed_area(ring), 0);
}

TEST(ExtentOf, OrdinaryAreaGetsItsBox) {
    auto box = extent_of({{{-106.65, 25.84}, {-93.51, 25.84}, {-93.51, 36.5}, {-106.65, 36.5}}});
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ(box->west, -106.65);
    EXPECT_DOUBLE_EQ(box->east, -93.51);
    EXPECT_DOUBLE_EQ(box->south, 25.84);
    EXPECT_DOUBLE_EQ(box->north, 36.5);
}

TEST(ExtentOf, AreaAcrossTheDateLineKeepsTheAmericanSideInsteadOfTheWholeGlobe) {
    // Islands of the Aleutians on both sides of 180 degrees.
    Ring west_of_line = {{172.4, 52.9}, {173.2, 52.9}, {173.2, 53.1}, {172.4, 52.9}};
    Ring east_of_line = {{-179.1, 51.2}, {-166.1, 51.2}, {-166.1, 57.2}, {-179.1, 51.2}};
    auto box = extent_of({west_of_line, east_of_line});
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ(box->west, -180.0);
    EXPECT_DOUBLE_EQ(box->east, -166.1);
    EXPECT_DOUBLE_EQ(box->south, 51.2);
    EXPECT_DOUBLE_EQ(box->north, 57.2);
}

TEST(ExtentOf, NothingUsableGivesNoBox) {
    EXPECT_FALSE(extent_of({}));
    EXPECT_FALSE(extent_of_points({{std::numeric_limits<double>::infinity(), 0}}));
}

}  // namespace
}  // namespace tolm::importer
