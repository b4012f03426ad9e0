#include "engine/road_style.h"

#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"

#include <gtest/gtest.h>

namespace tolm::engine {
namespace {

constexpr RoadRank k_ranks_by_importance[] = {RoadRank::motorway, RoadRank::trunk,   RoadRank::primary,
                                              RoadRank::secondary, RoadRank::tertiary, RoadRank::minor,
                                              RoadRank::service,  RoadRank::track};

TEST(RoadStyle, EveryRankIsNarrowerThanTheOneAboveAtEveryZoomInColourAndInBlackAndWhite) {
    const MapStyle style;
    for (double zoom = 10; zoom <= 19; zoom += 0.5) {
        for (bool monochrome : {false, true}) {
            for (std::size_t i = 1; i < std::size(k_ranks_by_importance); ++i) {
                const RoadLook above = road_look(k_ranks_by_importance[i - 1], RoadLevel::ground, zoom, style, monochrome);
                const RoadLook below = road_look(k_ranks_by_importance[i], RoadLevel::ground, zoom, style, monochrome);
                const double above_across = above.cased ? above.casing_width : above.width;
                const double below_across = below.cased ? below.casing_width : below.width;
                EXPECT_GT(above_across, below_across) << "zoom " << zoom << " rank " << i;
            }
        }
        if (zoom >= 12 && zoom < 18) {
            EXPECT_GT(road_width(RoadRank::minor, zoom + 0.5), road_width(RoadRank::minor, zoom)) << "widths grow up to zoom 18";
        }
    }
}

TEST(RoadStyle, BlackAndWhiteTellsTheRanksApartByPatternAsWellAsWidth) {
    const MapStyle style;
    const RoadLook motorway = road_look(RoadRank::motorway, RoadLevel::ground, 15, style, true);
    EXPECT_GT(motorway.centre_width, 0) << "a motorway is a double line";
    EXPECT_EQ(motorway.fill.argb, 0xFFFFFFFFu);
    EXPECT_EQ(motorway.casing.argb, 0xFF000000u);
    EXPECT_TRUE(road_look(RoadRank::track, RoadLevel::ground, 15, style, true).fill_dash.dashed());
    EXPECT_FALSE(road_look(RoadRank::minor, RoadLevel::ground, 15, style, true).fill_dash.dashed());
    EXPECT_TRUE(road_look(RoadRank::minor, RoadLevel::tunnel, 15, style, true).casing_dash.dashed());
    const RoadLook bridge = road_look(RoadRank::minor, RoadLevel::bridge, 15, style, false);
    const RoadLook ground = road_look(RoadRank::minor, RoadLevel::ground, 15, style, false);
    EXPECT_GT(bridge.casing_width, ground.casing_width);
}

TEST(RoadStyle, TheKindDecidesTheRankWhereTheDataGivesItAndTheClassWhereNot) {
    EXPECT_EQ(road_rank(RoadClass::major, RoadKind::tertiary), RoadRank::tertiary);
    EXPECT_EQ(road_rank(RoadClass::local, RoadKind::service), RoadRank::service);
    EXPECT_EQ(road_rank(RoadClass::major, RoadKind::unknown), RoadRank::secondary);
    EXPECT_EQ(road_rank(RoadClass::interstate, RoadKind::unknown), RoadRank::motorway);
    EXPECT_EQ(road_rank(RoadClass::ramp, RoadKind::motorway), RoadRank::link);
    // The colour items of the client's road classes still colour the ranks.
    MapStyle style;
    style.colours[ids::COLOUR_MAJOR_ROAD] = 0x0000FF;
    EXPECT_EQ(road_look(RoadRank::secondary, RoadLevel::ground, 15, style, false).fill.argb, 0xFFFF0000u);
}

TEST(RoadStyle, KindLevelAndRoundaboutSurviveThePackAndAnUnknownKindIsRefused) {
    FeatureSet set;
    RoadFeature road;
    road.road_class = RoadClass::major;
    road.kind = RoadKind::tertiary;
    road.level = RoadLevel::bridge;
    road.roundabout = true;
    road.oneway = true;
    road.points = {{-100, 40}, {-99.99, 40}};
    set.roads.push_back(road);
    road.kind = RoadKind::unknown;
    road.level = RoadLevel::tunnel;
    road.roundabout = false;
    road.oneway = false;
    set.roads.push_back(road);
    std::string bytes = build_pack(set);
    const auto span = [&] { return std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()); };
    {
        const PackView view(span(), "roads");
        ASSERT_EQ(view.road_count(), 2u);
        const auto first = view.road(0), second = view.road(1);
        EXPECT_EQ(first.kind, RoadKind::tertiary);
        EXPECT_EQ(first.level, RoadLevel::bridge);
        EXPECT_TRUE(first.roundabout);
        EXPECT_TRUE(first.oneway);
        EXPECT_EQ(second.kind, RoadKind::unknown);
        EXPECT_EQ(second.level, RoadLevel::tunnel);
        EXPECT_FALSE(second.roundabout);
        EXPECT_FALSE(second.oneway);
    }
    // The kind byte of the first road record: find it through the record's known class and flags.
    const std::string record_start("\x02\x0B\x05", 3);
    const auto at = bytes.find(record_start);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] = '\x63';
    EXPECT_ANY_THROW(PackView(span(), "roads"));
}

}  // namespace
}  // namespace tolm::engine
