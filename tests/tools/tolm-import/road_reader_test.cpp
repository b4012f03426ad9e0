#include "tools/tolm-import/road_reader.h"

#include "tools/tolm-import/gdal_source.h"
#include "tools/tolm-import/import_error.h"
#include "engine/road_style.h"

#include "import_test_support.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace tolm::importer {
namespace {

using engine::RoadClass;
using testing::RecordedProgress;
using testing::ScratchFolder;

using engine::RoadKind;
using engine::RoadRank;

// Writes an ADDRFEAT-like shapefile with GDAL: one short east-west edge per (TLID, MTFCC), one
// above the other, each with a left address range.
void write_addrfeat_shapefile(const std::string& path, const std::vector<std::pair<std::string, std::string>>& edges) {
    prepare_gdal();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
    ASSERT_NE(driver, nullptr);
    GDALDataset* dataset = driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(dataset, nullptr);
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    OGRLayer* layer = dataset->CreateLayer("addrfeat", &wgs84, wkbLineString, nullptr);
    ASSERT_NE(layer, nullptr);
    for (const char* name : {"TLID", "FULLNAME", "MTFCC", "LFROMHN", "LTOHN", "RFROMHN", "RTOHN", "ZIPL", "ZIPR", "PARITYL", "PARITYR"}) {
        OGRFieldDefn field(name, OFTString);
        ASSERT_EQ(layer->CreateField(&field), OGRERR_NONE);
    }
    double y = 46.5;
    for (const auto& [tlid, mtfcc] : edges) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField("TLID", tlid.c_str());
        feature.SetField("FULLNAME", ("Road " + tlid).c_str());
        feature.SetField("MTFCC", mtfcc.c_str());
        feature.SetField("LFROMHN", "1");
        feature.SetField("LTOHN", "99");
        feature.SetField("ZIPL", "59645");
        feature.SetField("PARITYL", "O");
        OGRLineString line;
        line.addPoint(-110.9, y);
        line.addPoint(-110.8, y);
        feature.SetGeometry(&line);
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        y += 0.01;
    }
    GDALClose(dataset);
}

TEST(RoadClasses, TigerFeatureClassesRankAsTheMatchingOsmHighwayValues) {
    // Each code against the rank the renderer gives the OpenStreetMap highway value for the same road.
    const std::pair<const char*, RoadRank> ranks[] = {{"S1100", RoadRank::motorway}, {"S1200", RoadRank::primary},
                                                      {"S1400", RoadRank::minor},    {"S1500", RoadRank::track},
                                                      {"S1630", RoadRank::link},     {"S1740", RoadRank::service}};
    for (const auto& [mtfcc, rank] : ranks) {
        const auto type = detail::tiger_road_type(mtfcc);
        ASSERT_TRUE(type) << mtfcc;
        EXPECT_EQ(engine::road_rank(type->road_class, type->kind), rank) << mtfcc;
    }
    // Paths for people on foot, bikes or horses, winter trails, medians, the Census Bureau's
    // internal lines and everything that is no road stay off the map.
    for (const char* other : {"S1710", "S1720", "S1750", "S1810", "S1820", "S1830", "S2000", "R1011", "H3010", "", "s1100"})
        EXPECT_FALSE(detail::tiger_road_type(other)) << other;
}

TEST(ReadTigerAddressFeatures, RoadsTakeTheKindOfTheirFeatureClass) {
    ScratchFolder folder;
    const std::string path = folder.file("tl_2021_30059_addrfeat.shp");
    write_addrfeat_shapefile(path, {{"1", "S1100"}, {"2", "S1200"}, {"3", "S1400"}, {"4", "S1500"}, {"5", "S1630"},
                                    {"6", "S1640"}, {"7", "S1710"}, {"8", "S1730"}, {"9", "S1780"}, {"10", "S1820"},
                                    {"3", "S1400"}});
    if (::testing::Test::HasFatalFailure()) return;
    engine::FeatureSet set;
    RecordedProgress recorded;
    read_tiger_address_features(path, set, recorded.progress);

    std::map<std::string, std::pair<RoadClass, RoadKind>> roads;
    for (const auto& road : set.roads) {
        EXPECT_TRUE(roads.emplace(road.name, std::pair(road.road_class, road.kind)).second) << road.name << " drawn twice";
        EXPECT_EQ(road.points.size(), 2u);
    }
    const std::map<std::string, std::pair<RoadClass, RoadKind>> expected = {
        {"Road 1", {RoadClass::interstate, RoadKind::motorway}}, {"Road 2", {RoadClass::highway, RoadKind::primary}},
        {"Road 3", {RoadClass::local, RoadKind::minor}},         {"Road 4", {RoadClass::local, RoadKind::track}},
        {"Road 5", {RoadClass::ramp, RoadKind::unknown}},        {"Road 6", {RoadClass::local, RoadKind::service}},
        {"Road 8", {RoadClass::local, RoadKind::service}},       {"Road 9", {RoadClass::local, RoadKind::service}},
    };
    EXPECT_EQ(roads, expected);
    // The walkway and the bike path are no roads, but their address ranges are kept: a house may
    // be numbered along a path.
    EXPECT_EQ(set.address_ranges.size(), 11u);
}

TEST(TigerFileName, TellsTheState) {
    EXPECT_EQ(detail::state_code_of_tiger_name("/data/tl_2021_30059_addrfeat.shp"), "MT");
    EXPECT_EQ(detail::state_code_of_tiger_name("tl_2021_48_cousub.shp"), "TX");
    // The import knows every number the Census gives, the islands without a postal code included.
    EXPECT_EQ(detail::state_code_of_tiger_name("tl_2021_74_cousub.shp"), "UM");
    EXPECT_EQ(detail::state_code_of_tiger_name("roads.shp"), "");
    EXPECT_EQ(detail::state_code_of_tiger_name("tl_2021_99001_addrfeat.shp"), "");
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
