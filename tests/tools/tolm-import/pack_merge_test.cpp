#include "tools/tolm-import/pack_merge.h"

#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/import_options.h"
#include "tools/tolm-import/importer.h"
#include "tools/tolm-import/product_folder.h"

#include "import_test_support.h"

#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolm::importer {
namespace {

namespace fs = std::filesystem;
using testing::RecordedProgress;
using testing::ScratchFolder;

ImportData gazetteer() {
    ImportData data;
    data.features.places.push_back({"Helena", "MT", "Lewis and Clark", {-112.0361, 46.5958}, 32091});
    data.features.places.push_back({"Butte", "MT", "Silver Bow", {-112.5348, 46.0038}, 34494});
    data.features.phone_areas.push_back({"406", "Helena", "Lewis and Clark", "MT", {-112.0361, 46.5958}});
    data.features.zips.push_back({"59601", "Helena", "MT", "Lewis and Clark", {-112.0211, 46.6133}});
    return data;
}

ImportData more_zips() {
    ImportData data;
    data.features.zips.push_back({"59601", "Helena", "MT", "Lewis and Clark", {-112.0211, 46.6133}});  // already there
    data.features.zips.push_back({"59701", "Butte", "MT", "Silver Bow", {-112.5120, 46.0041}});
    return data;
}

ImportData streets(double east) {
    ImportData data;
    data.features.roads.push_back({engine::RoadClass::local, "Last Chance Gulch", "", false, {{-112.04, 46.58}, {east, 46.59}}});
    data.features.address_ranges.push_back(
        {"Last Chance Gulch", "100", "198", true, 'E', "59601", "Helena", "MT", {{-112.04, 46.58}, {east, 46.59}}});
    engine::AreaFeature lake;
    lake.kind = engine::AreaKind::water;
    lake.name = "Spring Meadow Lake";
    // A hole given first and wound the wrong way: the stored form orders nothing, it winds.
    lake.rings = {{{-112.07, 46.60}, {-112.06, 46.60}, {-112.06, 46.61}, {-112.07, 46.61}, {-112.07, 46.60}},
                  {{-112.066, 46.603}, {-112.064, 46.603}, {-112.064, 46.605}, {-112.066, 46.603}}};
    data.street_water.push_back(lake);
    return data;
}

TEST(ProductMerge, ASecondZipImportKeepsEveryPlaceAndAreaCode) {
    ScratchFolder folder;
    ProductFolder product({folder.file("Product"), ""});
    RecordedProgress recorded;
    product.write(gazetteer(), {SourceKind::geonames, SourceKind::zip_codes, SourceKind::area_codes}, recorded.progress);
    product.write(more_zips(), {SourceKind::zip_codes}, recorded.progress);

    engine::Pack pack(product.pack_path(DataFolder::data1));
    const auto& view = pack.view();
    ASSERT_EQ(view.place_count(), 2u);
    EXPECT_EQ(view.place(1).name, "Helena");
    ASSERT_EQ(view.phone_area_count(), 1u);
    EXPECT_EQ(view.phone_area(0).key, "406");
    ASSERT_EQ(view.zip_count(), 2u);  // 59601 once, 59701 added
    EXPECT_EQ(view.zip(0).key, "59601");
    EXPECT_EQ(view.zip(1).key, "59701");

    // Every source stays credited, in the folder and in the product.
    for (const auto& file : {product.folder_path(DataFolder::data1) + "/ATTRIBUTION", folder.file("Product/ATTRIBUTION")}) {
        const std::string credits = read_whole_file(file);
        EXPECT_NE(credits.find("GeoNames"), std::string::npos) << file;
        EXPECT_NE(credits.find("areacodes"), std::string::npos) << file;
        EXPECT_NE(credits.find("zipcodes"), std::string::npos) << file;
    }
}

TEST(ProductMerge, StreetsOfASecondCountyAreAddedAndTheSameImportTwiceChangesNoByte) {
    ScratchFolder folder;
    RecordedProgress recorded;
    ProductFolder once({folder.file("Once"), ""});
    once.write(streets(-112.03), {SourceKind::openstreetmap}, recorded.progress);
    const std::string first = read_whole_file(once.pack_path(DataFolder::data2));

    ProductFolder again({folder.file("Again"), ""});
    again.write(streets(-112.03), {SourceKind::openstreetmap}, recorded.progress);
    EXPECT_EQ(read_whole_file(again.pack_path(DataFolder::data2)), first);  // built twice: the same bytes
    again.write(streets(-112.03), {SourceKind::openstreetmap}, recorded.progress);
    EXPECT_EQ(read_whole_file(again.pack_path(DataFolder::data2)), first);  // imported twice: nothing added

    again.write(streets(-112.02), {SourceKind::tiger_address}, recorded.progress);
    engine::Pack pack(again.pack_path(DataFolder::data2));
    EXPECT_EQ(pack.view().road_count(), 2u);
    EXPECT_EQ(pack.view().address_range_count(), 2u);
    EXPECT_EQ(pack.view().area_count(), 1u);  // the lake is the same in both
    const std::string credits = read_whole_file(again.folder_path(DataFolder::data2) + "/ATTRIBUTION");
    EXPECT_NE(credits.find("OpenStreetMap"), std::string::npos);
    EXPECT_NE(credits.find("TIGER"), std::string::npos);
}

TEST(ProductMerge, AnUnreadablePackStopsTheImportAndIsLeftAsItWas) {
    ScratchFolder folder;
    ProductFolder product({folder.file("Product"), ""});
    RecordedProgress recorded;
    fs::create_directories(product.folder_path(DataFolder::data1));
    const std::string damaged = "TOLMPAK\0 but cut short";
    write_file_atomically(product.pack_path(DataFolder::data1), damaged);
    try {
        product.write(more_zips(), {SourceKind::zip_codes}, recorded.progress);
        FAIL() << "a damaged pack was replaced";
    } catch (const ImportError& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find(product.pack_path(DataFolder::data1)), std::string::npos) << text;
        EXPECT_NE(text.find("replace everything in it"), std::string::npos) << text;
    }
    EXPECT_EQ(read_whole_file(product.pack_path(DataFolder::data1)), damaged);
}

TEST(ProductMerge, StoredFeaturesComeBackFromThePackUnchanged) {
    engine::FeatureSet features = streets(-112.03).features;
    features.areas = streets(-112.03).street_water;
    features.areas[0].rings[0].push_back({500, 500});  // off the globe: dropped
    features.places = gazetteer().features.places;
    features.zips = gazetteer().features.zips;
    features.phone_areas = gazetteer().features.phone_areas;
    engine::to_stored_form(features);
    ASSERT_EQ(features.areas[0].rings.size(), 2u);
    const std::string bytes = engine::build_pack(features);
    const engine::PackView view(std::as_bytes(std::span(bytes.data(), bytes.size())), "test");
    engine::FeatureSet back = engine::read_features(view);

    engine::FeatureSet expected = features;
    const auto counts = merge_features(back, std::move(expected));
    EXPECT_EQ(counts.added, 0u) << "a feature changed on its way through the pack";
    EXPECT_EQ(counts.duplicate, counts.kept);
    EXPECT_EQ(engine::build_pack(back), bytes);
}

TEST(ProductMerge, CreditsKeepBlocksOfEarlierImports) {
    const std::string earlier = "Streets: supplied by an earlier importer.\r\n\r\n" + credit_text(SourceKind::openstreetmap) + "\r\n";
    const std::string merged = merged_credits(earlier, {SourceKind::openstreetmap, SourceKind::tiger_address}, DataFolder::data2);
    EXPECT_EQ(merged, "Streets: supplied by an earlier importer.\n\n" + credit_text(SourceKind::openstreetmap) + "\n" +
                          credit_text(SourceKind::tiger_address) + "\n");
}

}  // namespace
}  // namespace tolm::importer

namespace tolm::importer {
namespace {

// A second import of the ZIP codes alone, into a product whose first import corrected a ZIP code
// with the states it held: the same correction is made again, so nothing is added twice and the
// gazetteer keeps every place and area code, to the byte.
TEST(ProductMerge, ASecondZipImportCorrectsWithTheProductsStatesAndChangesNothing) {
    ScratchFolder folder;
    RecordedProgress recorded;
    const std::string product_path = folder.file("Product");
    ImportData states;
    engine::AreaFeature montana;
    montana.kind = engine::AreaKind::state;
    montana.name = "Montana";
    montana.code = "30";
    montana.state_code = "MT";
    montana.rings = {{{-116.05, 44.36}, {-104.04, 44.36}, {-104.04, 49.0}, {-116.05, 49.0}, {-116.05, 44.36}}};
    states.features.areas.push_back(montana);
    ProductFolder({product_path, ""}).write(states, {SourceKind::census_atlas}, recorded.progress);

    const auto places = folder.write("places.json", R"([{"name":"Helena","lat":"46.5958","lng":"-112.0361","country":"US","admin1":"MT"}])");
    // 59601's longitude lost its sign in the source.
    const auto zips = folder.write("zips.json", R"([{"zip":"59601","latitude":46.6133,"longitude":112.0211,"city":"Helena","state":"MT"},
                                                     {"zip":"59701","latitude":46.0041,"longitude":-112.5120,"city":"Butte","state":"MT"}])");
    const auto codes = folder.write("codes.json", R"({"406":{"city":"Helena","stateCode":"MT","location":{"latitude":46.5958,"longitude":-112.0361}}})");
    run_import(parse_import_options({"--out", product_path, "--places", places, "--zips", zips, "--area-codes", codes}), recorded.progress);
    const std::string gazetteer = product_path + "/Data1/gazetteer.pack";
    const std::string first = read_whole_file(gazetteer);

    run_import(parse_import_options({"--out", product_path, "--zips", zips}), recorded.progress);
    EXPECT_EQ(read_whole_file(gazetteer), first);
    engine::Pack pack(gazetteer);
    ASSERT_EQ(pack.view().place_count(), 1u);
    EXPECT_EQ(pack.view().place(0).name, "Helena");
    ASSERT_EQ(pack.view().phone_area_count(), 1u);
    EXPECT_EQ(pack.view().phone_area(0).key, "406");
    ASSERT_EQ(pack.view().zip_count(), 2u);
    EXPECT_NEAR(pack.view().zip(0).position.lon, -112.0211, 1e-6);
}

}  // namespace
}  // namespace tolm::importer
