#pragma once

#include "engine/feature_set.h"
#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/progress.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolm::importer {

struct OsmReadOptions {
    // Folder for the node location index (16 bytes per node of the input); the system's temporary
    // folder when empty. The file is removed when the read ends.
    std::string index_folder;
};

struct OsmCounts {
    std::size_t roads = 0;
    std::size_t water = 0;      // lakes, reservoirs, river areas and river lines
    std::size_t places = 0;
    std::size_t addresses = 0;
    std::uint64_t nodes = 0;    // nodes of the input, each in the location index
    std::size_t incomplete_ways = 0;  // ways with nodes the input does not hold (cut at its edge)
};

// An OpenStreetMap extract (.osm.pbf; .osm XML where the importer was built with it), streamed in
// two passes with the node locations in a file rather than in memory, so that memory does not grow
// with the number of nodes. Order does not matter: nodes, ways and relations may come in any order
// and ids may be negative (locally edited files).
//  - roads: ways with a road "highway" value, with name, ref and one-way rule (oneway=-1 turns the
//    points round; motorways and roundabouts are one way unless tagged otherwise);
//  - water: areas (closed ways and multipolygon relations, assembled with their holes) tagged
//    natural=water, waterway=riverbank, landuse=reservoir|basin; rivers, streams and canals drawn
//    as ribbons of a width by their kind;
//  - places: nodes tagged place=city|town|village|hamlet with a name, and their population;
//  - addresses: addr:housenumber with addr:street on nodes and on buildings (at the middle of the
//    building), with addr:city, addr:postcode and addr:state; a missing state is the one most
//    addresses of the extract name.
// Roads, water, places and addresses go to the streets pack. Raises ImportError naming the file
// when it cannot be read or is not OSM data.
OsmCounts read_osm(const std::string& path, ImportData& out, Progress& progress, const OsmReadOptions& options = {});

namespace detail {
// The road class of an OSM highway value, or nothing for ways that are not roads (paths, steps).
std::optional<engine::RoadClass> osm_road_class(std::string_view highway, std::string_view ref);

// How a way's oneway tagging reads: one way along the points, against them, or both ways.
enum class OneWay { no, forward, backward };
OneWay osm_one_way(std::string_view oneway, std::string_view highway, std::string_view junction);
// The finer kind the renderer ranks roads by; links (ramps) and values it does not know are unknown,
// so the class decides.
engine::RoadKind osm_road_kind(std::string_view highway);
// Over or under the roads beside it: bridge=* and tunnel=* other than "no".
engine::RoadLevel osm_road_level(std::string_view bridge, std::string_view tunnel);

// The population tag as a number ("12,500" and "12500" both), 0 when it is none.
std::int64_t osm_population(std::string_view value);

// A closed ring round a line, `width` metres wide: how a river or stream line is painted as water.
engine::Ring ribbon_around(const engine::Polyline& line, double width_metres);
}  // namespace detail

}  // namespace tolm::importer
