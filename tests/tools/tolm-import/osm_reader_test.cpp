#include "tools/tolm-import/osm_reader.h"

#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"

#include "import_test_support.h"
#include "osm_sample_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

namespace tolm::importer {
namespace {

using engine::RoadClass;
using engine::RoadKind;
using engine::RoadLevel;
using testing::RecordedProgress;
using testing::ScratchFolder;

const engine::RoadFeature* road_named(const engine::FeatureSet& set, const std::string& name) {
    for (const auto& road : set.roads)
        if (road.name == name) return &road;
    return nullptr;
}

const engine::AreaFeature* water_named(const ImportData& data, const std::string& name) {
    for (const auto& area : data.street_water)
        if (area.name == name) return &area;
    return nullptr;
}

struct SampleRead {
    ScratchFolder folder;
    ImportData data;
    RecordedProgress recorded;
    OsmCounts counts;
    explicit SampleRead(const std::string& name = "sample.osm.pbf") {
        const auto path = folder.file(name);
        testing::write_sample_extract(path);
        counts = read_osm(path, data, recorded.progress, {folder.file("index")});
    }
};

TEST(OsmTags, ClassesOneWayRulesAndPopulations) {
    EXPECT_EQ(detail::osm_road_class("motorway", "I 5"), RoadClass::interstate);
    EXPECT_EQ(detail::osm_road_class("motorway", "OR 217"), RoadClass::highway);
    EXPECT_EQ(detail::osm_road_class("primary", ""), RoadClass::highway);
    EXPECT_EQ(detail::osm_road_class("tertiary", ""), RoadClass::major);
    EXPECT_EQ(detail::osm_road_class("motorway_link", ""), RoadClass::ramp);
    EXPECT_EQ(detail::osm_road_class("residential", ""), RoadClass::local);
    EXPECT_FALSE(detail::osm_road_class("footway", ""));
    EXPECT_FALSE(detail::osm_road_class("", ""));

    using detail::OneWay;
    EXPECT_EQ(detail::osm_one_way("yes", "residential", ""), OneWay::forward);
    EXPECT_EQ(detail::osm_one_way("-1", "primary", ""), OneWay::backward);
    EXPECT_EQ(detail::osm_one_way("reverse", "primary", ""), OneWay::backward);
    EXPECT_EQ(detail::osm_one_way("", "motorway", ""), OneWay::forward);
    EXPECT_EQ(detail::osm_one_way("", "residential", "roundabout"), OneWay::forward);
    EXPECT_EQ(detail::osm_one_way("no", "motorway", ""), OneWay::no);  // tagged otherwise
    EXPECT_EQ(detail::osm_one_way("alternating", "primary", ""), OneWay::no);
    EXPECT_EQ(detail::osm_one_way("", "primary", ""), OneWay::no);

    EXPECT_EQ(detail::osm_road_kind("tertiary"), RoadKind::tertiary);
    EXPECT_EQ(detail::osm_road_kind("living_street"), RoadKind::minor);
    EXPECT_EQ(detail::osm_road_kind("primary_link"), RoadKind::unknown) << "a link is ranked by its class";
    EXPECT_EQ(detail::osm_road_level("yes", ""), RoadLevel::bridge);
    EXPECT_EQ(detail::osm_road_level("viaduct", "no"), RoadLevel::bridge);
    EXPECT_EQ(detail::osm_road_level("no", "yes"), RoadLevel::tunnel);
    EXPECT_EQ(detail::osm_road_level("", ""), RoadLevel::ground);

    EXPECT_EQ(detail::osm_population("105,594"), 105594);
    EXPECT_EQ(detail::osm_population("12000 (2010)"), 12000);
    EXPECT_EQ(detail::osm_population("about"), 0);
    EXPECT_EQ(detail::osm_population("99999999999999999999"), 0);
}

TEST(OsmTags, ARibbonIsTheLinesWidthAcross) {
    // 30 m across a line running north: 30 / (111320 cos 45) degrees of longitude.
    const auto ribbon = detail::ribbon_around({{-122.0, 45.0}, {-122.0, 45.01}}, 30);
    ASSERT_EQ(ribbon.size(), 5u);
    double west = 0, east = -180;
    for (const auto& p : ribbon) {
        west = std::min(west, p.lon);
        east = std::max(east, p.lon);
    }
    EXPECT_NEAR((east - west) * 111320 * std::cos(45.0 * 3.14159265358979 / 180), 30, 0.1);
    EXPECT_GT(signed_area(ribbon), 0);  // an outer ring
    EXPECT_TRUE(detail::ribbon_around({{-122.0, 45.0}}, 30).empty());
}

TEST(ReadOsm, RoadsOfAnUnsortedExtractWithNegativeIdsAndTheOneWayRules) {
    SampleRead read;
    const engine::FeatureSet& set = read.data.features;
    EXPECT_EQ(read.counts.roads, 5u);  // the footway is no road; Cut Street keeps its two known nodes
    EXPECT_EQ(read.counts.incomplete_ways, 1u);
    EXPECT_EQ(read.recorded.progress.warnings(), 1u);

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
    EXPECT_TRUE(motorway->oneway);

    auto roundabouts = std::count_if(set.roads.begin(), set.roads.end(),
                                     [](const auto& r) { return r.name.empty() && r.road_class == RoadClass::local && r.oneway; });
    EXPECT_EQ(roundabouts, 1);
    ASSERT_NE(road_named(set, "Oak Street"), nullptr);
    EXPECT_FALSE(road_named(set, "Oak Street")->oneway);
    ASSERT_NE(road_named(set, "Cut Street"), nullptr);
    EXPECT_EQ(road_named(set, "Cut Street")->points.size(), 2u);
}

TEST(ReadOsm, WaterFromClosedWaysMultipolygonsWithHolesAndRivers) {
    SampleRead read;
    EXPECT_EQ(read.counts.water, 3u);
    EXPECT_TRUE(read.data.features.areas.empty());  // kept apart from the boundaries

    const auto* pond = water_named(read.data, "Laurelhurst Pond");
    ASSERT_NE(pond, nullptr);
    EXPECT_EQ(pond->kind, engine::AreaKind::water);
    EXPECT_EQ(pond->rings.size(), 1u);

    // The relation's outer way comes after its inner way and both before their nodes.
    const auto* lake = water_named(read.data, "Mirror Lake");
    ASSERT_NE(lake, nullptr);
    ASSERT_EQ(lake->rings.size(), 2u);
    EXPECT_GT(signed_area(lake->rings[0]), 0);  // outer counter-clockwise
    EXPECT_LT(signed_area(lake->rings[1]), 0);  // the island's hole clockwise
    EXPECT_NEAR(std::abs(signed_area(lake->rings[0])) / 2, 0.02 * 0.02, 1e-9);
    EXPECT_NEAR(std::abs(signed_area(lake->rings[1])) / 2, 0.01 * 0.01, 1e-9);

    const auto* river = water_named(read.data, "Willamette River");
    ASSERT_NE(river, nullptr);
    ASSERT_EQ(river->rings.size(), 1u);
    EXPECT_GE(river->rings[0].size(), 5u);
}

TEST(ReadOsm, PlacesAndAddressesOfNodesAndBuildingsTakeTheExtractsState) {
    SampleRead read;
    ASSERT_EQ(read.data.street_places.size(), 1u);
    const auto& gresham = read.data.street_places[0];
    EXPECT_EQ(gresham.name, "Gresham");
    EXPECT_EQ(gresham.population, 105594);
    EXPECT_EQ(gresham.state_code, "OR");  // the state the extract's addresses name
    EXPECT_TRUE(read.data.features.places.empty());  // the gazetteer is not touched

    const auto& addresses = read.data.features.address_ranges;
    ASSERT_EQ(addresses.size(), 2u);
    auto node = std::find_if(addresses.begin(), addresses.end(), [](const auto& a) { return a.from_number == "1221"; });
    ASSERT_NE(node, addresses.end());
    EXPECT_EQ(node->street, "SW 4th Ave");
    EXPECT_EQ(node->to_number, "1221");
    EXPECT_EQ(node->place, "Portland");
    EXPECT_EQ(node->zip, "97204");
    EXPECT_EQ(node->state_code, "OR");
    ASSERT_EQ(node->points.size(), 1u);
    EXPECT_DOUBLE_EQ(node->points[0].lat, 45.5160);

    auto building = std::find_if(addresses.begin(), addresses.end(), [](const auto& a) { return a.from_number == "2000"; });
    ASSERT_NE(building, addresses.end());
    EXPECT_EQ(building->street, "NE Oak St");
    EXPECT_EQ(building->state_code, "OR");
    ASSERT_EQ(building->points.size(), 1u);
    EXPECT_NEAR(building->points[0].lon, -122.6495, 1e-7);  // the middle of the building
    EXPECT_NEAR(building->points[0].lat, 45.5205, 1e-7);
}

TEST(ReadOsm, TheNodeIndexFileIsGoneAfterTheRead) {
    SampleRead read;
    EXPECT_TRUE(std::filesystem::is_empty(read.folder.file("index")));
}

#ifdef TOLM_OSM_XML
TEST(ReadOsm, XmlExtractsReadLikePbf) {
    SampleRead read("sample.osm");
    EXPECT_EQ(read.counts.roads, 5u);
    EXPECT_EQ(read.counts.water, 3u);
    EXPECT_EQ(read.counts.addresses, 2u);
}
#endif

TEST(ReadOsm, NotAnOsmFileIsAClearError) {
    ScratchFolder folder;
    RecordedProgress recorded;
    ImportData data;
    auto pbf = folder.write("roads.osm.pbf", std::string("\x00\x00\x00\x0dnot a pbf at all", 20));
    try {
        read_osm(pbf, data, recorded.progress, {folder.file("index")});
        FAIL() << "a damaged PBF was read";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find(pbf), std::string::npos) << error.what();
    }
    auto geojson = folder.write("points.geojson", R"({"type":"FeatureCollection","features":[]})");
    EXPECT_THROW(read_osm(geojson, data, recorded.progress), ImportError);
    EXPECT_THROW(read_osm(folder.file("missing.osm.pbf"), data, recorded.progress), ImportError);
}

TEST(ReadOsm, SharedExtractsAreReadInFull) {
    const std::string shared = testing::testdata_folder();
    if (shared.empty()) GTEST_SKIP() << "shared test data not found";
    RecordedProgress recorded;
    ScratchFolder folder;
    // The Columbus extract's nodes are not in id order and the Portland one has negative ids.
    ImportData columbus;
    EXPECT_GT(read_osm(shared + "/osm/columbus.osm.pbf", columbus, recorded.progress, {folder.path().string()}).roads, 10000u);
    EXPECT_GT(columbus.street_water.size(), 100u);
    ImportData portland_data;
    EXPECT_GT(read_osm(shared + "/osm/portland-central-filtered.osm.pbf", portland_data, recorded.progress, {folder.path().string()}).roads,
              4000u);
    std::set<RoadClass> classes;
    for (const auto& road : portland_data.features.roads) {
        classes.insert(road.road_class);
        ASSERT_GE(road.points.size(), 2u);
        for (const auto& p : road.points) {
            ASSERT_GT(p.lon, -123.5);
            ASSERT_LT(p.lon, -122.0);
        }
    }
    EXPECT_EQ(classes.size(), 5u);
}

}  // namespace
}  // namespace tolm::importer

#include "tools/tolm-import/product_folder.h"

#include "engine/geo.h"
#include "engine/pack/pack_reader.h"
#include "engine/search/address_search.h"

namespace tolm::importer {
namespace {

TEST(ReadOsm, AddressesAreFoundByTheAddressSearchWhereTheyLie) {
    SampleRead read;
    ProductFolder product({read.folder.file("Product"), ""});
    product.write(std::move(read.data), {SourceKind::openstreetmap}, read.recorded.progress);
    engine::Pack pack(product.pack_path(DataFolder::data2));
    const engine::search::AddressSearch search(std::vector<const engine::PackView*>{&pack.view()});

    const auto matches = search.find("1221 SW 4th Ave, Portland, OR");
    ASSERT_FALSE(matches.empty());
    EXPECT_EQ(matches[0].house_number, "1221");
    EXPECT_LT(engine::distance_metres(matches[0].position, {-122.6776, 45.5160}), 30.0);
}

}  // namespace
}  // namespace tolm::importer

namespace tolm::importer {
namespace {

TEST(ImportProgress, TimeLeftReadsAsAPersonWouldSayIt) {
    EXPECT_EQ(time_left_text(4.4), "4s");
    EXPECT_EQ(time_left_text(59.6), "1m 00s");
    EXPECT_EQ(time_left_text(725), "12m 05s");
    EXPECT_EQ(time_left_text(7380), "2h 03m");
}

}  // namespace
}  // namespace tolm::importer
