#include "server/search/region_files.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolm::server {
namespace {

class RegionFiles : public ::testing::Test {
protected:
    RegionFiles() : m_folder("regions") {
        // Sorted by the upper-cased first character, as the importer writes them.
        test::write_bytes(m_folder.file(k_state_file),
                          "MT\tMontana\t-116.05\t-104.04\t44.36\t49.0\r\n"
                          "NM\tNew Mexico\t-109.05\t-103.0\t31.33\t37.0\r\n"
                          "NV\tNevada\t-120.0\t-114.04\t35.0\t42.0\r\n"
                          "TN\tTennessee\t-90.31\t-81.65\t34.98\t36.68\r\n"
                          "TX\tTexas\t-106.65\t-93.51\t25.84\t36.5\r\n"
                          "UT\tUtah\t-114.05\t-109.04\t37.0\t42.0\r\n");
        test::write_bytes(m_folder.file(k_county_file),
                          "Lincoln\tNM\t-106.3\t-104.9\t33.2\t34.6\r\n"
                          "Travis\tTX\t-98.17\t-97.37\t30.02\t30.63\r\n"
                          "Travis Point\tUT\t-111.5\t-111.4\t40.1\t40.2\r\n"
                          "Trego\tKS\t-100.2\t-99.6\t38.7\t39.1\r\n"
                          "broken line without tabs\r\n"
                          "Uvalde\tTX\t-100.1\t-99.4\t29.0\t29.6\r\n");
    }
    std::vector<FindResult> rows(void (*search)(const std::string&, std::string_view, const AddToListSink&),
                                 std::string_view text) {
        std::vector<FindResult> out;
        search(folder(), text, [&](const FindResult& row) { out.push_back(row); });
        return out;
    }
    std::string folder() const { return m_folder.path().string(); }
    test::ScratchFolder m_folder;
};

std::vector<std::string> names(const std::vector<typRegion>& regions) {
    std::vector<std::string> out;
    for (const auto& region : regions) out.push_back(region.strName);
    return out;
}

TEST_F(RegionFiles, StateSearchByCodeNameAndPrefix) {
    // The exact code ends the search, although Tennessee also starts with T.
    EXPECT_EQ(names(FindStateRecords(folder(), "TX")), std::vector<std::string>{"Texas"});
    EXPECT_EQ(names(FindStateRecords(folder(), "t")), (std::vector<std::string>{"Tennessee", "Texas"}));
    EXPECT_EQ(names(FindStateRecords(folder(), "tex")), std::vector<std::string>{"Texas"});
    // Names are only found under the first letter of their code: Nevada and New Mexico share N.
    EXPECT_EQ(names(FindStateRecords(folder(), "New")), std::vector<std::string>{"New Mexico"});
    EXPECT_TRUE(FindStateRecords(folder(), "Z").empty());
    EXPECT_TRUE(FindStateRecords(folder(), "").empty());
    EXPECT_TRUE(FindStateRecords(folder() + "/missing", "TX").empty());
    const auto texas = FindStateRecords(folder(), "TX").at(0);
    EXPECT_EQ(texas.strCode, "TX");
    EXPECT_DOUBLE_EQ(texas.dblWest, -106.65);
    EXPECT_DOUBLE_EQ(texas.dblEast, -93.51);
    EXPECT_DOUBLE_EQ(texas.dblSouth, 25.84);
    EXPECT_DOUBLE_EQ(texas.dblNorth, 36.5);
}

TEST_F(RegionFiles, StateRowIsTheBoxGrownByAFiftieth) {
    const auto found = rows(FindState, "TX");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].strTitle, "Texas");
    EXPECT_NEAR(found[0].dblLong, -106.65 - 0.2628, 1e-9);
    EXPECT_NEAR(found[0].dblLong2, -93.51 + 0.2628, 1e-9);
    EXPECT_NEAR(found[0].dblLat, 36.5 + 0.2132, 1e-9);
    EXPECT_NEAR(found[0].dblLat2, 25.84 - 0.2132, 1e-9);
    EXPECT_FALSE(found[0].blnIsPlace);
    EXPECT_EQ(found[0].dblL, 0);
}

TEST_F(RegionFiles, CountySearchWithAndWithoutState) {
    EXPECT_EQ(names(FindCountyRecords(folder(), "Travis, TX")), std::vector<std::string>{"Travis, TX"});
    EXPECT_EQ(names(FindCountyRecords(folder(), "travis")),
              (std::vector<std::string>{"Travis, TX", "Travis Point, UT"}));
    EXPECT_EQ(names(FindCountyRecords(folder(), "TR")),
              (std::vector<std::string>{"Travis, TX", "Travis Point, UT", "Trego, KS"}));
    // A line without fields is skipped and the search goes on behind it.
    EXPECT_EQ(names(FindCountyRecords(folder(), "b")), std::vector<std::string>{});
    EXPECT_EQ(names(FindCountyRecords(folder(), "U")), std::vector<std::string>{"Uvalde, TX"});
    const auto found = rows(FindCounty, "Travis, TX");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].dblLong, -98.17 - 0.8 / 50, 1e-9);
    EXPECT_TRUE(FindCountyRecords(folder() + "/missing", "Travis").empty());
}

TEST_F(RegionFiles, MileMarkersAreInterpolatedAndRounded) {
    test::write_bytes(m_folder.file(k_mile_marker_file),
                      "NM25,NS,0,32.0,100,33.0\r\n"
                      "TX10,EW,900,94.0,880,94.2\r\n"
                      "TX20,EW,0,106.6,100,104.0\r\n"
                      "TX35,NS,50,31.0,150,33.0\r\n"
                      "TX45,NS,7,30.0,7,30.1\r\n"
                      "TX20A,EW,0,100.0,10,99.0\r\n"
                      "TX99,NS,1,2\r\n"
                      "UT15,NS,0,37.0,400,42.0\r\n");
    auto east_west = LookUpMileMarker(folder(), "TX", "20", "100");
    ASSERT_TRUE(east_west);
    EXPECT_FALSE(east_west->is_latitude);
    EXPECT_NEAR(east_west->coordinate, -104.0, 1e-9);
    auto north_south = LookUpMileMarker(folder(), "TX", "35", "100");
    ASSERT_TRUE(north_south);
    EXPECT_TRUE(north_south->is_latitude);
    EXPECT_NEAR(north_south->coordinate, 32.0, 1e-9);
    // Halves go to the even neighbour: 100.5 is 100 and 101.5 is 102.
    EXPECT_NEAR(LookUpMileMarker(folder(), "TX", "35", "100.5")->coordinate, 32.0, 1e-9);
    EXPECT_NEAR(LookUpMileMarker(folder(), "TX", "35", "101.5")->coordinate, 32.04, 1e-9);
    // Segments may run either way.
    EXPECT_NEAR(LookUpMileMarker(folder(), "TX", "10", "890")->coordinate, -94.1, 1e-9);
    EXPECT_FALSE(LookUpMileMarker(folder(), "TX", "35", "151"));
    EXPECT_FALSE(LookUpMileMarker(folder(), "TX", "45", "7"));  // a segment without length
    EXPECT_FALSE(LookUpMileMarker(folder(), "TX", "99", "1"));  // too few fields
    EXPECT_FALSE(LookUpMileMarker(folder(), "TX", "20", ""));
    EXPECT_FALSE(LookUpMileMarker(folder(), "NV", "80", "5"));
    EXPECT_FALSE(LookUpMileMarker(folder() + "/missing", "TX", "20", "100"));
}

TEST_F(RegionFiles, MileMarkerRowsCentreTheStateBoxOnTheLine) {
    test::write_bytes(m_folder.file(k_mile_marker_file),
                      "TX20,EW,0,106.6,100,104.0\r\n"
                      "TX20A,EW,0,100.0,10,99.0\r\n"
                      "TX35,NS,50,31.0,150,33.0\r\n");
    auto found = rows(FindMileMarker, "tx,20,100");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].strTitle, "TX, IS-20, Mile marker 100");
    EXPECT_NEAR(found[0].dblL, -104.0, 1e-9);
    EXPECT_FALSE(found[0].blnLIsLat);
    // Texas is 13.14 degrees wide; the box keeps that width around -104.
    EXPECT_NEAR(found[0].dblLong, -104.0 - 6.57, 1e-9);
    EXPECT_NEAR(found[0].dblLong2, -104.0 + 6.57, 1e-9);
    EXPECT_DOUBLE_EQ(found[0].dblLat, 36.5);
    EXPECT_DOUBLE_EQ(found[0].dblLat2, 25.84);

    found = rows(FindMileMarker, "TX,20A,5");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].strTitle, "TX, 20A, Mile marker 5");

    found = rows(FindMileMarker, "texas,35,100");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].blnLIsLat);
    EXPECT_NEAR(found[0].dblLat, 32.0 + (36.5 - 25.84) / 2, 1e-9);
    EXPECT_TRUE(rows(FindMileMarker, "TX,20,").empty());
}

TEST(CentreRegionOnLine, StopsAtThePolesAndTheDateLine) {
    typRegion region{"Alaska", "AK", -179.0, -130.0, 71.4, 51.2};
    CentreRegionOnLine(region, 80.0, true);
    EXPECT_DOUBLE_EQ(region.dblNorth, 90.0);
    EXPECT_DOUBLE_EQ(region.dblSouth, 80.0 - 10.1);
    CentreRegionOnLine(region, -170.0, false);
    EXPECT_DOUBLE_EQ(region.dblWest, -180.0);
    EXPECT_DOUBLE_EQ(region.dblEast, -170.0 + 24.5);
}

}  // namespace
}  // namespace tolm::server
