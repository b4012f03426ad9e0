#include "tools/tolm-import/road_reader.h"

#include "tools/tolm-import/import_error.h"

#include "import_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tolm::importer {
namespace {

using engine::RoadClass;
using testing::RecordedProgress;
using testing::ScratchFolder;

TEST(RoadClasses, OsmAndTigerClassesMapToTheEngineClasses) {
    EXPECT_EQ(detail::osm_road_class("motorway", "I 5"), RoadClass::interstate);
    EXPECT_EQ(detail::osm_road_class("motorway", "OR 217"), RoadClass::highway);
    EXPECT_EQ(detail::osm_road_class("primary", ""), RoadClass::highway);
    EXPECT_EQ(detail::osm_road_class("tertiary", ""), RoadClass::major);
    EXPECT_EQ(detail::osm_road_class("motorway_link", ""), RoadClass::ramp);
    EXPECT_EQ(detail::osm_road_class("residential", ""), RoadClass::local);
    EXPECT_FALSE(detail::osm_road_class("footway", ""));
    EXPECT_FALSE(detail::osm_road_class("", ""));

    EXPECT_EQ(detail::tiger_road_class("S1100"), RoadClass::interstate);
    EXPECT_EQ(detail::tiger_road_class("S1200"), RoadClass::highway);
    EXPECT_EQ(detail::tiger_road_class("S1400"), RoadClass::local);
    EXPECT_EQ(detail::tiger_road_class("S1630"), RoadClass::ramp);
    EXPECT_FALSE(detail::tiger_road_class("R1011"));  // railway
}

TEST(HstoreValue, ReadsQuotedPairsWithEscapes) {
    std::string tags = R"("oneway"=>"-1","ref"=>"I 5;I 84","note"=>"say \"hi\", then go","lanes"=>"2")";
    EXPECT_EQ(detail::hstore_value(tags, "oneway"), "-1");
    EXPECT_EQ(detail::hstore_value(tags, "ref"), "I 5;I 84");
    EXPECT_EQ(detail::hstore_value(tags, "note"), "say \"hi\", then go");
    EXPECT_EQ(detail::hstore_value(tags, "lanes"), "2");
    EXPECT_EQ(detail::hstore_value(tags, "name"), "");
    EXPECT_EQ(detail::hstore_value(R"("broken"=>"no end)", "broken"), "");
}

TEST(TigerFileName, TellsTheState) {
    EXPECT_EQ(detail::state_code_of_tiger_name("/data/tl_2021_30059_addrfeat.shp"), "MT");
    EXPECT_EQ(detail::state_code_of_tiger_name("tl_2021_48_cousub.shp"), "TX");
    // The import knows every number the Census gives, the islands without a postal code included.
    EXPECT_EQ(detail::state_code_of_tiger_name("tl_2021_74_cousub.shp"), "UM");
    EXPECT_EQ(detail::state_code_of_tiger_name("roads.shp"), "");
    EXPECT_EQ(detail::state_code_of_tiger_name("tl_2021_99001_addrfeat.shp"), "");
}

// Nodes out of order and with negative ids, as edited and unsorted extracts have them.
constexpr const char* k_osm = R"(<?xml version="1.0" encoding="UTF-8"?>
<osm version="0.6" generator="test">
  <node id="5" lat="45.50" lon="-122.60"/>
  <node id="-3" lat="45.51" lon="-122.61"/>
  <node id="2" lat="45.52" lon="-122.62"/>
  <node id="-1" lat="45.53" lon="-122.63"/>
  <node id="1" lat="45.54" lon="-122.64"/>
  <node id="7" lat="45.50" lon="-122.64"/>
  <way id="-10"><nd ref="5"/><nd ref="-3"/><nd ref="2"/>
    <tag k="highway" v="primary"/><tag k="name" v="Burnside Street"/><tag k="oneway" v="-1"/></way>
  <way id="11"><nd ref="2"/><nd ref="-1"/>
    <tag k="highway" v="motorway"/><tag k="ref" v="I 5"/></way>
  <way id="12"><nd ref="-1"/><nd ref="1"/>
    <tag k="highway" v="footway"/></way>
  <way id="13"><nd ref="1"/><nd ref="5"/>
    <tag k="highway" v="residential"/><tag k="junction" v="roundabout"/></way>
  <way id="14"><nd ref="1"/><nd ref="-3"/>
    <tag k="highway" v="residential"/><tag k="name" v="Oak Street"/><tag k="oneway" v="no"/></way>
  <way id="15"><nd ref="5"/><nd ref="2"/><nd ref="7"/><nd ref="5"/>
    <tag k="natural" v="water"/><tag k="name" v="Laurelhurst Pond"/></way>
</osm>
)";

const engine::RoadFeature* road_named(const engine::FeatureSet& set, const std::string& name) {
    for (const auto& road : set.roads)
        if (road.name == name) return &road;
    return nullptr;
}

TEST(ReadOsmRoads, UnsortedNegativeIdsAndTheOneWayRules) {
    ScratchFolder folder;
    auto path = folder.write("tiny.osm", k_osm);
    ImportData data;
    const engine::FeatureSet& set = data.features;
    RecordedProgress recorded;
    EXPECT_EQ(read_osm_roads(path, data, recorded.progress), 4u);  // the footway is not a road

    const auto* burnside = road_named(set, "Burnside Street");
    ASSERT_NE(burnside, nullptr);
    EXPECT_EQ(burnside->road_class, RoadClass::highway);
    EXPECT_TRUE(burnside->oneway);
    ASSERT_EQ(burnside->points.size(), 3u);
    // oneway=-1: one way against the drawing direction, so the points are turned round.
    EXPECT_DOUBLE_EQ(burnside->points.front().lat, 45.52);
    EXPECT_DOUBLE_EQ(burnside->points.back().lat, 45.50);

    auto motorway = std::find_if(set.roads.begin(), set.roads.end(), [](const auto& r) { return r.ref == "I 5"; });
    ASSERT_NE(motorway, set.roads.end());
    EXPECT_EQ(motorway->road_class, RoadClass::interstate);
    EXPECT_TRUE(motorway->oneway);  // implied for motorways

    auto roundabout = std::count_if(set.roads.begin(), set.roads.end(),
                                    [](const auto& r) { return r.name.empty() && r.road_class == RoadClass::local && r.oneway; });
    EXPECT_EQ(roundabout, 1);
    const auto* oak = road_named(set, "Oak Street");
    ASSERT_NE(oak, nullptr);
    EXPECT_FALSE(oak->oneway);

    // The closed way tagged as a lake is water, kept apart from the boundaries.
    ASSERT_EQ(data.street_water.size(), 1u);
    EXPECT_EQ(data.street_water[0].name, "Laurelhurst Pond");
    EXPECT_EQ(data.street_water[0].kind, engine::AreaKind::water);
    EXPECT_TRUE(set.areas.empty());
}

TEST(ReadOsmRoads, NotAnOsmFileIsAClearError) {
    ScratchFolder folder;
    auto path = folder.write("roads.osm.pbf", std::string("\x00\x00\x00\x0dnot a pbf at all", 20));
    ImportData data;
    RecordedProgress recorded;
    EXPECT_THROW(read_osm_roads(path, data, recorded.progress), ImportError);
    auto geojson = folder.write("points.geojson", R"({"type":"FeatureCollection","features":[]})");
    EXPECT_THROW(read_osm_roads(geojson, data, recorded.progress), ImportError);
}

TEST(ReadOsmRoads, SharedExtractsAreReadInFullSortedOrNot) {
    std::string data = testing::testdata_folder();
    if (data.empty()) GTEST_SKIP() << "shared test data not found";
    RecordedProgress recorded;
    // The Columbus extract's nodes are not in id order and the Portland one has negative ids; an
    // index that expects increasing ids keeps none of the first and half of the second.
    ImportData columbus;
    EXPECT_GT(read_osm_roads(data + "/osm/columbus.osm.pbf", columbus, recorded.progress), 10000u);
    ImportData portland_data;
    EXPECT_GT(read_osm_roads(data + "/osm/portland-central-filtered.osm.pbf", portland_data, recorded.progress), 4000u);
    const engine::FeatureSet& portland = portland_data.features;
    std::set<RoadClass> classes;
    for (const auto& road : portland.roads) {
        classes.insert(road.road_class);
        ASSERT_GE(road.points.size(), 2u);
        for (const auto& p : road.points) {
            ASSERT_GT(p.lon, -123.5);
            ASSERT_LT(p.lon, -122.0);
        }
    }
    EXPECT_EQ(classes.size(), 5u);
    EXPECT_TRUE(std::any_of(portland.roads.begin(), portland.roads.end(), [](const auto& r) { return r.oneway; }));
}

TEST(ReadTigerAddressFeatures, RoadsOncePerEdgeAndARangePerNumberedSide) {
    std::string data = testing::testdata_folder();
    if (data.empty()) GTEST_SKIP() << "shared test data not found";
    engine::FeatureSet set;
    engine::ZipFeature zip;
    zip.zip = "59645";
    zip.place = "White Sulphur Springs";
    set.zips.push_back(zip);
    RecordedProgress recorded;
    read_tiger_address_features(data + "/tiger/tl_2021_30059_addrfeat.shp", set, recorded.progress);
    EXPECT_GT(set.roads.size(), 100u);
    EXPECT_GT(set.address_ranges.size(), set.roads.size());

    bool left = false, right = false, named_place = false;
    for (const auto& range : set.address_ranges) {
        EXPECT_EQ(range.state_code, "MT");
        EXPECT_FALSE(range.from_number.empty());
        EXPECT_FALSE(range.to_number.empty());
        EXPECT_TRUE(range.parity == 'O' || range.parity == 'E' || range.parity == 'B' || range.parity == 'M');
        EXPECT_GE(range.points.size(), 2u);
        (range.right_side ? right : left) = true;
        if (range.zip == "59645") named_place = named_place || range.place == "White Sulphur Springs";
    }
    EXPECT_TRUE(left);
    EXPECT_TRUE(right);
    EXPECT_TRUE(named_place);
    EXPECT_TRUE(std::any_of(set.address_ranges.begin(), set.address_ranges.end(),
                            [](const auto& r) { return r.street == "Main St" && r.zip == "59642"; }));
}

TEST(ReadTigerAddressFeatures, AShapefileWithoutAddressFieldsIsRefused) {
    ScratchFolder folder;
    auto path = folder.write("roads.geojson", R"({"type":"FeatureCollection","features":[
      {"type":"Feature","properties":{"FULLNAME":"Main St"},"geometry":{"type":"LineString","coordinates":[[0,0],[1,1]]}}]})");
    engine::FeatureSet set;
    RecordedProgress recorded;
    EXPECT_THROW(read_tiger_address_features(path, set, recorded.progress), ImportError);
}

}  // namespace
}  // namespace tolm::importer
