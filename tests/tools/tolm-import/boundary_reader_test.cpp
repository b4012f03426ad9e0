#include "tools/tolm-import/boundary_reader.h"

#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"

#include "import_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tolm::importer {
namespace {

using testing::RecordedProgress;
using testing::ScratchFolder;

// A tiny atlas in the same shape as the Census TopoJSON: the faults of the real one included (a
// county whose shape collapsed, one whose ring crosses itself, one on both sides of the date line).
constexpr const char* k_atlas = R"({
  "type": "Topology",
  "arcs": [
    [[-100, 30], [-90, 30], [-90, 35], [-100, 35], [-100, 30]],
    [[-98, 30], [-97, 30], [-97, 31], [-98, 31], [-98, 30]],
    [[-96, 32], [-95, 33], [-95, 32], [-96, 33], [-96, 32]],
    [[172.4, 52.9], [173.2, 52.9], [173.2, 53.1], [172.4, 52.9]],
    [[-179.1, 51.2], [-166.1, 51.2], [-166.1, 57.2], [-179.1, 51.2]],
    [[-77.17, 38.88], [-77.17, 38.88]]
  ],
  "objects": {
    "states": {"type": "GeometryCollection", "geometries": [
      {"type": "Polygon", "arcs": [[0]], "id": "48", "properties": {"name": "Texas"}}
    ]},
    "counties": {"type": "GeometryCollection", "geometries": [
      {"type": "Polygon", "arcs": [[1]], "id": "48453", "properties": {"name": "Travis"}},
      {"type": "Polygon", "arcs": [[2]], "id": "48001", "properties": {"name": "Bowtie"}},
      {"type": "MultiPolygon", "arcs": [[[3]], [[4]]], "id": "02016", "properties": {"name": "Aleutians West"}},
      {"type": "Polygon", "arcs": [[5]], "id": "51610", "properties": {"name": "Falls Church"}},
      {"type": null, "id": "51999", "properties": {"name": "Nothing"}}
    ]},
    "nation": {"type": "GeometryCollection", "geometries": [
      {"type": "Polygon", "arcs": [[0]]}
    ]}
  }
})";

const engine::AreaFeature* find_area(const ImportData& data, const std::string& code) {
    for (const auto& area : data.features.areas)
        if (area.code == code) return &area;
    return nullptr;
}

TEST(ReadCensusBoundaries, StatesAndCountiesWithTheirCodesAndTheKnownFaultsHandled) {
    ScratchFolder folder;
    auto path = folder.write("counties.json", k_atlas);
    ImportData data;
    RecordedProgress recorded;
    read_census_boundaries(path, data, recorded.progress);

    const auto* texas = find_area(data, "48");
    ASSERT_NE(texas, nullptr);
    EXPECT_EQ(texas->kind, engine::AreaKind::state);
    EXPECT_EQ(texas->state_code, "TX");
    EXPECT_EQ(texas->name, "Texas");
    ASSERT_EQ(texas->rings.size(), 1u);
    EXPECT_GT(signed_area(texas->rings[0]), 0);  // outer rings counter-clockwise

    const auto* travis = find_area(data, "48453");
    ASSERT_NE(travis, nullptr);
    EXPECT_EQ(travis->kind, engine::AreaKind::county);
    EXPECT_EQ(travis->state_code, "TX");

    // The self-intersecting ring is made valid: two triangles, each with area.
    const auto* bowtie = find_area(data, "48001");
    ASSERT_NE(bowtie, nullptr);
    EXPECT_EQ(bowtie->rings.size(), 2u);
    for (const auto& ring : bowtie->rings) EXPECT_GT(signed_area(ring), 0);

    const auto* aleutians = find_area(data, "02016");
    ASSERT_NE(aleutians, nullptr);
    EXPECT_EQ(aleutians->state_code, "AK");
    auto box = extent_of(aleutians->rings);
    ASSERT_TRUE(box);
    EXPECT_LT(box->width(), 20);

    EXPECT_EQ(find_area(data, "51610"), nullptr);
    EXPECT_EQ(find_area(data, "51999"), nullptr);
    // GDAL drops a feature whose type is null altogether; the collapsed one is remembered.
    ASSERT_EQ(data.unshaped.size(), 1u);
    EXPECT_EQ(data.unshaped[0].name, "Falls Church");
    EXPECT_EQ(data.unshaped[0].state_code, "VA");
    EXPECT_EQ(recorded.progress.warnings(), 2u);  // one skipped, one repaired
}

TEST(ReadCensusBoundaries, WaterIsEverythingOutsideTheNationInGridCells) {
    ScratchFolder folder;
    auto path = folder.write("counties.json", k_atlas);
    ImportData data;
    RecordedProgress recorded;
    read_census_boundaries(path, data, recorded.progress);

    std::size_t cells = 0;
    bool cut = false;
    for (const auto& area : data.features.areas) {
        if (area.kind != engine::AreaKind::water) continue;
        ++cells;
        auto box = extent_of(area.rings);
        ASSERT_TRUE(box);
        EXPECT_LE(box->width(), 10.0 + 1e-9);
        // The cell from -100 to -90 and 30 to 40 keeps only its part north of the nation.
        if (box->west == -100 && box->south == 35) {
            cut = true;
            EXPECT_EQ(box->north, 40);
        }
        for (const auto& ring : area.rings)
            for (const auto& p : ring) EXPECT_FALSE(p.lon > -100 && p.lon < -90 && p.lat > 30 && p.lat < 35);
    }
    EXPECT_TRUE(cut);
    EXPECT_EQ(cells, 36u * 18u);  // the nation fills no cell entirely
}

// Land beyond the tiny nation of k_atlas (-100..-90, 30..35): a block from -105 to -85 and 28 to 45
// across six grid cells, with a lake in it, and an island out in the sea.
constexpr const char* k_world_land = R"({
  "type": "Topology",
  "arcs": [
    [[-105, 28], [-85, 28], [-85, 45], [-105, 45], [-105, 28]],
    [[-98, 41], [-98, 43], [-96, 43], [-96, 41], [-98, 41]],
    [[-151, 21], [-149, 21], [-149, 23], [-151, 23], [-151, 21]]
  ],
  "objects": {
    "land": {"type": "GeometryCollection", "geometries": [
      {"type": "MultiPolygon", "arcs": [[[0], [1]], [[2]]]}
    ]}
  }
})";

// Half the signed ring areas: the area in square degrees, holes taken off.
double area_of(const ImportData& data, engine::AreaKind kind, double west, double south, double east, double north) {
    double total = 0;
    for (const auto& area : data.features.areas) {
        if (area.kind != kind) continue;
        auto box = extent_of(area.rings);
        if (!box || box->west < west || box->east > east || box->south < south || box->north > north) continue;
        for (const auto& ring : area.rings) total += signed_area(ring) / 2;
    }
    return total;
}

TEST(ReadWorldLand, LandIsCutAlongTheWaterGridAndTheWaterLeavesItOut) {
    ScratchFolder folder;
    auto land_path = folder.write("land.json", k_world_land);
    auto atlas_path = folder.write("counties.json", k_atlas);
    ImportData data;
    RecordedProgress recorded;
    read_world_land(land_path, {}, data, recorded.progress);

    std::size_t pieces = 0;
    bool lake_kept = false;
    for (const auto& area : data.features.areas) {
        ASSERT_EQ(area.kind, engine::AreaKind::land);
        ++pieces;
        auto box = extent_of(area.rings);
        ASSERT_TRUE(box);
        // Every piece lies in one cell of the grid.
        EXPECT_EQ(std::floor(box->west / 10), std::ceil(box->east / 10) - 1) << box->west << " " << box->east;
        EXPECT_EQ(std::floor(box->south / 10), std::ceil(box->north / 10) - 1) << box->south << " " << box->north;
        EXPECT_GT(signed_area(area.rings[0]), 0);
        if (area.rings.size() == 2) {
            lake_kept = true;
            EXPECT_LT(signed_area(area.rings[1]), 0);
        }
    }
    EXPECT_EQ(pieces, 3u * 3u + 2u);  // the island straddles -150
    EXPECT_TRUE(lake_kept);
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, -180, -90, 180, 90), 20.0 * 17.0 - 4.0 + 4.0, 1e-6);

    read_census_boundaries(atlas_path, data, recorded.progress);
    // The sea covers neither the nation nor the land beyond it, but it does fill the lake.
    EXPECT_NEAR(area_of(data, engine::AreaKind::water, -110, 40, -100, 50), 100.0 - 25.0, 1e-6);
    EXPECT_NEAR(area_of(data, engine::AreaKind::water, -100, 40, -90, 50), 100.0 - 50.0 + 4.0, 1e-6);
    EXPECT_NEAR(area_of(data, engine::AreaKind::water, -100, 30, -90, 40), 0.0, 1e-6);
    EXPECT_NEAR(area_of(data, engine::AreaKind::water, -160, 20, -150, 30), 100.0 - 2.0, 1e-6);
    EXPECT_NEAR(area_of(data, engine::AreaKind::water, -180, -90, 180, 90), 360.0 * 180.0 - 340.0 + 4.0 - 4.0, 1e-6);
}

TEST(ReadWorldLand, TakesTheFirstLayerOfOtherSourcesAndRefusesOnesWithoutLand) {
    ScratchFolder folder;
    auto coast = folder.write("coast.geojson", R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},
      "geometry":{"type":"Polygon","coordinates":[[[1,1],[3,1],[3,3],[1,3],[1,1]]]}}]})");
    auto points = folder.write("points.geojson",
                               R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},"geometry":{"type":"Point","coordinates":[1,2]}}]})");
    auto garbage = folder.write("garbage.json", "{\"type\": \"Topology\", \"arcs\": [[[1, 2], ");
    ImportData data;
    RecordedProgress recorded;
    read_world_land(coast, {}, data, recorded.progress);
    ASSERT_EQ(data.features.areas.size(), 1u);
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, 0, 0, 10, 10), 4.0, 1e-9);
    EXPECT_THROW(read_world_land(points, {}, data, recorded.progress), ImportError);
    EXPECT_THROW(read_world_land(garbage, {}, data, recorded.progress), ImportError);
    EXPECT_THROW(read_world_land(folder.file("missing.json"), {}, data, recorded.progress), ImportError);
}

TEST(ReadWorldLand, ACountriesLayerGivesEveryCountryButTheUnitedStates) {
    // A lake inside the United States is part of its country outline: taken as land, it could never
    // become water again, so the United States' own country is left out.
    ScratchFolder folder;
    auto countries = folder.write("countries.geojson", R"({"type":"FeatureCollection","name":"countries","features":[
      {"type":"Feature","properties":{"id":"840","name":"United States of America"},
       "geometry":{"type":"Polygon","coordinates":[[[1,1],[5,1],[5,5],[1,5],[1,1]]]}},
      {"type":"Feature","properties":{"id":"124","name":"Canada"},
       "geometry":{"type":"Polygon","coordinates":[[[1,5],[5,5],[5,8],[1,8],[1,5]]]}}]})");
    ImportData data;
    RecordedProgress recorded;
    read_world_land(countries, {}, data, recorded.progress);
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, 0, 0, 10, 10), 12.0, 1e-9);
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, 1, 1, 5, 5), 0.0, 1e-9);
}

TEST(ReadWorldLand, NeighboursJoinLakesAreCutOutAndTheDateLineIsCrossed) {
    ScratchFolder folder;
    // Two countries sharing a border inside one cell, and one whose ring runs across the date line
    // (170 east to 170 west) the way world atlases store the far east of Russia.
    auto countries = folder.write("countries.geojson", R"({"type":"FeatureCollection","name":"countries","features":[
      {"type":"Feature","properties":{"id":"124"},
       "geometry":{"type":"Polygon","coordinates":[[[1,1],[5,1],[5,9],[1,9],[1,1]]]}},
      {"type":"Feature","properties":{"id":"484"},
       "geometry":{"type":"Polygon","coordinates":[[[5,1],[9,1],[9,9],[5,9],[5,1]]]}},
      {"type":"Feature","properties":{"id":"643"},
       "geometry":{"type":"Polygon","coordinates":[[[170,61],[180,61],[-180,61],[-170,61],[-170,64],[-180,64],[180,64],[170,64],[170,61]]]}}]})");
    // A lake of 4 square degrees across the two countries' border, and a pond too small to keep.
    auto lakes = folder.write("lakes.geojson", R"({"type":"GeometryCollection","geometries":[{"type":"MultiPolygon","coordinates":[
      [[[4,4],[6,4],[6,6],[4,6],[4,4]]],
      [[[7,7],[7.05,7],[7.05,7.05],[7,7.05],[7,7]]]]}]})");
    ImportData data;
    RecordedProgress recorded;
    read_world_land(countries, {lakes}, data, recorded.progress);

    EXPECT_NEAR(area_of(data, engine::AreaKind::land, 0, 0, 10, 10), 64.0 - 4.0, 1e-9);
    std::size_t in_first_cell = 0;
    for (const auto& area : data.features.areas) {
        auto box = extent_of(area.rings);
        if (box && box->west >= 0 && box->east <= 10 && box->south >= 0 && box->north <= 10) ++in_first_cell;
    }
    EXPECT_EQ(in_first_cell, 1u);  // one piece, no border through it

    // Ten degrees on each side of the date line, three degrees high, and no band round the globe.
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, 170, 60, 180, 70), 30.0, 1e-9);
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, -180, 60, -170, 70), 30.0, 1e-9);
    EXPECT_NEAR(area_of(data, engine::AreaKind::land, -180, -90, 180, 90), 60.0 + 60.0, 1e-9);

    EXPECT_THROW(read_world_land(countries, {folder.write("none.geojson", R"({"type":"FeatureCollection","features":[]})")},
                                 data, recorded.progress),
                 ImportError);
}

TEST(ReadCensusBoundaries, FileWithoutBoundaryLayersOrNotMapDataIsAClearError) {
    ScratchFolder folder;
    auto other = folder.write("other.geojson",
                              R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},"geometry":{"type":"Point","coordinates":[1,2]}}]})");
    auto garbage = folder.write("garbage.json", "{\"type\": \"Topology\", \"arcs\": [[[1, 2], ");
    ImportData data;
    RecordedProgress recorded;
    EXPECT_THROW(read_census_boundaries(other, data, recorded.progress), ImportError);
    EXPECT_THROW(read_census_boundaries(garbage, data, recorded.progress), ImportError);
    EXPECT_THROW(read_census_boundaries(folder.file("missing.json"), data, recorded.progress), ImportError);
}

TEST(ReadTigerAreas, CountySubdivisionShapefileFromOgr2ogr) {
    if (std::system("ogr2ogr --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ogr2ogr not installed";
    ScratchFolder folder;
    auto geojson = folder.write("cousub.geojson", R"({"type":"FeatureCollection","features":[
      {"type":"Feature","properties":{"STATEFP":"30","COUNTYFP":"059","GEOID":"3005990123","NAME":"White Sulphur Springs"},
       "geometry":{"type":"Polygon","coordinates":[[[-111,46.5],[-110.5,46.5],[-110.5,46.8],[-111,46.8],[-111,46.5]]]}},
      {"type":"Feature","properties":{"STATEFP":"30","COUNTYFP":"059","GEOID":"3005990456","NAME":"Empty"},"geometry":null}]})");
    std::string shapefile = folder.file("tl_2021_30_cousub.shp");
    std::string command = "ogr2ogr -f \"ESRI Shapefile\" '" + shapefile + "' '" + geojson + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    ImportData data;
    RecordedProgress recorded;
    read_tiger_areas(shapefile, engine::AreaKind::minor_civil_division, data, recorded.progress);
    ASSERT_EQ(data.features.areas.size(), 1u);
    const auto& area = data.features.areas[0];
    EXPECT_EQ(area.kind, engine::AreaKind::minor_civil_division);
    EXPECT_EQ(area.name, "White Sulphur Springs");
    EXPECT_EQ(area.code, "3005990123");
    EXPECT_EQ(area.state_code, "MT");
}

}  // namespace
}  // namespace tolm::importer
