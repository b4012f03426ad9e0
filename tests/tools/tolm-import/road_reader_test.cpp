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

TEST(RoadClasses, TigerClassesMapToTheEngineClasses) {
    EXPECT_EQ(detail::tiger_road_class("S1100"), RoadClass::interstate);
    EXPECT_EQ(detail::tiger_road_class("S1200"), RoadClass::highway);
    EXPECT_EQ(detail::tiger_road_class("S1400"), RoadClass::local);
    EXPECT_EQ(detail::tiger_road_class("S1630"), RoadClass::ramp);
    EXPECT_FALSE(detail::tiger_road_class("R1011"));  // railway
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
