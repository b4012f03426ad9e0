#include "tools/tolm-import/search_files.h"
#include "tools/tolm-import/import_error.h"

#include "import_test_support.h"

#include <gtest/gtest.h>

namespace tolm::importer {
namespace {

using testing::RecordedProgress;
using testing::ScratchFolder;

engine::AreaFeature square_area(engine::AreaKind kind, std::string name, std::string state, double west, double south,
                                double size) {
    engine::AreaFeature area;
    area.kind = kind;
    area.name = std::move(name);
    area.state_code = std::move(state);
    area.rings = {{{west, south}, {west + size, south}, {west + size, south + size}, {west, south + size}, {west, south}}};
    return area;
}

std::vector<std::string> lines_of(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(RegionFile, LinesAreTabSeparatedWestEastSouthNorthWithCrLf) {
    auto bytes = region_file_bytes({{"TX", "Texas", {-106.65, -93.51, 25.84, 36.5}}});
    EXPECT_EQ(bytes, "TX\tTexas\t-106.650000\t-93.510000\t25.840000\t36.500000\r\n");
}

TEST(RegionFile, SortedByUpperCasedFirstCharacterSoTheServerCanStopEarly) {
    // The server stops at the first line whose first character sorts after the one it looks for:
    // a lower-case name must sit with its upper-case letter, not after "Z".
    auto lines = lines_of(region_file_bytes({{"Zavala", "TX", {}},
                                             {"de Baca", "NM", {}},
                                             {"Travis", "TX", {}},
                                             {"Dallas", "TX", {}},
                                             {"Adams", "CO", {}}}));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[0].starts_with("Adams\t"));
    EXPECT_TRUE(lines[1].starts_with("Dallas\t"));
    EXPECT_TRUE(lines[2].starts_with("de Baca\t"));
    EXPECT_TRUE(lines[3].starts_with("Travis\t"));
    EXPECT_TRUE(lines[4].starts_with("Zavala\t"));
}

TEST(RegionFile, NamesAreWrittenInTheAnsiCodePageAndTabsInNamesCannotSplitALine) {
    auto bytes = region_file_bytes({{"Do\xc3\xb1" "a Ana", "NM", {}}, {"Bad\tName", "XX", {}}});
    EXPECT_NE(bytes.find("Do\xf1" "a Ana\tNM\t"), std::string::npos);
    EXPECT_NE(bytes.find("Bad Name\tXX\t"), std::string::npos);
}

TEST(RegionLines, StatePartsAreMergedIntoOneBoxAndCountiesKeepTheirState) {
    ImportData data;
    data.features.areas.push_back(square_area(engine::AreaKind::state, "Texas", "TX", -100, 30, 2));
    data.features.areas.push_back(square_area(engine::AreaKind::state, "Texas", "TX", -97, 27, 1));
    data.features.areas.push_back(square_area(engine::AreaKind::county, "Travis", "TX", -98, 30, 0.5));
    data.features.areas.push_back(square_area(engine::AreaKind::water, "", "", -90, 20, 5));
    auto states = state_lines(data.features);
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].key, "TX");
    EXPECT_EQ(states[0].second, "Texas");
    EXPECT_EQ(states[0].box, (engine::Extent{-100, -96, 27, 32}));

    RecordedProgress recorded;
    auto counties = county_lines(data, recorded.progress);
    ASSERT_EQ(counties.size(), 1u);
    EXPECT_EQ(counties[0].key, "Travis");
    EXPECT_EQ(counties[0].second, "TX");
}

TEST(RegionLines, ACountyAndACityOfOneNameAreToldApartAndNoOtherRowChanges) {
    ImportData data;
    auto county = [&](const char* name, const char* code, const char* state, double west) {
        auto area = square_area(engine::AreaKind::county, name, state, west, 39, 0.3);
        area.code = code;
        data.features.areas.push_back(area);
    };
    county("Baltimore", "24005", "MD", -76.8);
    county("Baltimore", "24510", "MD", -76.7);
    county("Richmond", "51159", "VA", -76.7);
    county("Richmond", "51760", "VA", -77.5);
    county("Richmond", "13245", "GA", -82.1);  // the same name in another state reads differently already
    county("Carson City", "32510", "NV", -119.8);
    county("Travis", "48453", "TX", -98);
    county("Travis", "48453", "TX", -97.5);  // one county in two parts is no pair
    county("Twin", "99001", "ZZ", -90);       // two counties alike, neither a city
    county("Twin", "99003", "ZZ", -89);

    RecordedProgress recorded;
    std::vector<std::string> titles;
    for (const auto& line : county_lines(data, recorded.progress)) titles.push_back(line.key + ", " + line.second);
    EXPECT_EQ(titles, (std::vector<std::string>{"Baltimore, MD", "Baltimore (city), MD", "Richmond, VA", "Richmond (city), VA",
                                                "Richmond, GA", "Carson City, NV", "Travis, TX", "Travis, TX",
                                                "Twin (99001), ZZ", "Twin (99003), ZZ"}));
}

TEST(RegionLines, CountyWithoutShapeIsFoundNearItsNamesakePlaceOrLeftOutWithAWarning) {
    ImportData data;
    data.unshaped.push_back({engine::AreaKind::county, "Falls Church", "51610", "VA"});
    data.unshaped.push_back({engine::AreaKind::county, "Nowhere", "99999", "VA"});
    engine::PlaceFeature place;
    place.name = "Falls Church";
    place.state_code = "VA";
    place.position = {-77.17, 38.88};
    data.features.places.push_back(place);

    RecordedProgress recorded;
    auto counties = county_lines(data, recorded.progress);
    ASSERT_EQ(counties.size(), 1u);
    EXPECT_EQ(counties[0].key, "Falls Church");
    EXPECT_TRUE(counties[0].box.contains(place.position));
    EXPECT_LT(counties[0].box.width(), 0.2);
    EXPECT_EQ(recorded.progress.warnings(), 1u);
    EXPECT_NE(recorded.lines.str().find("Nowhere"), std::string::npos);
}

TEST(MileMarkers, CsvRowsBecomeSortedSegmentsWithDegreesWest) {
    ScratchFolder folder;
    auto csv = folder.write("markers.csv",
                            "state,road,direction,mile1,coord1,mile2,coord2\r\n"
                            "tx,20,EW,0,-106.6,100,-104.0\r\n"
                            "\r\n"
                            "AL,65,NS,0,30.7,100.4,31.9\n"
                            "TX,35,NS,50,31.0,150,33.0\n"
                            "TX,20,EW,100,104.0,200,102.5\n");
    RecordedProgress recorded;
    auto segments = read_mile_marker_csv(csv, recorded.progress);
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(recorded.progress.warnings(), 0u);
    EXPECT_EQ(mile_marker_file_bytes(segments),
              "AL65,NS,0,30.700000,100,31.900000\r\n"
              "TX20,EW,0,106.600000,100,104.000000\r\n"
              "TX35,NS,50,31.000000,150,33.000000\r\n"
              "TX20,EW,100,104.000000,200,102.500000\r\n");
}

TEST(MileMarkers, BadRowsAreSkippedWithTheirLineNumber) {
    ScratchFolder folder;
    auto csv = folder.write("markers.csv",
                            "TX,20,EW,0,-106.6,100,-104.0\n"
                            "TX,20,EW,0,-106.6\n"          // too few fields
                            "QQ,20,EW,0,-106.6,100,-104\n"  // no such state
                            "TX,20,UP,0,-106.6,100,-104\n"  // no direction
                            "TX,20,EW,5,-106.6,5,-104\n"    // both ends the same mile
                            "TX,2 0,EW,0,-106.6,100,-104\n" // blank in the road
                            "TX,20,NS,0,95,100,33\n");      // latitude off the globe
    RecordedProgress recorded;
    auto segments = read_mile_marker_csv(csv, recorded.progress);
    EXPECT_EQ(segments.size(), 1u);
    EXPECT_EQ(recorded.progress.warnings(), 6u);
    EXPECT_NE(recorded.lines.str().find("line 2:"), std::string::npos);
    EXPECT_NE(recorded.lines.str().find("line 7:"), std::string::npos);
}

TEST(MileMarkers, ALaterImportAddsItsStretchesAndReplacesOnlyThoseItBringsAgain) {
    const std::string before_bytes = "TX20,EW,0,106.600000,100,104.000000\r\n"
                                     "TX20,EW,100,104.000000,200,102.500000\r\n";
    const auto before = parse_mile_marker_file(before_bytes, "milemark.dat");
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(mile_marker_file_bytes(before), before_bytes) << "read back as it was written";

    MileSegment corrected = before[0];
    corrected.second_coordinate = 104.1;
    MileSegment other_state{"AL", "65", true, 0, 30.7, 100, 31.9};
    const auto merged = merge_mile_segments(before, {corrected, other_state});
    EXPECT_EQ(mile_marker_file_bytes(merged),
              "AL65,NS,0,30.700000,100,31.900000\r\n"
              "TX20,EW,0,106.600000,100,104.100000\r\n"
              "TX20,EW,100,104.000000,200,102.500000\r\n");

    // A file the importer cannot read back is not replaced.
    try {
        parse_mile_marker_file("TX20,EW,0,106.6,100,104\r\nnot a marker line\r\n", "milemark.dat");
        ADD_FAILURE() << "a damaged file was read";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace tolm::importer
