#pragma once

#include <string>

namespace tolm::importer::testing {

// Writes a small OpenStreetMap extract (PBF, or XML for a name ending in .osm) with libosmium's
// writer, in the order edited and unsorted extracts have: ways before their nodes, nodes out of
// id order, negative ids. It holds
//  - roads: "Burnside Street" (primary, oneway=-1, 3 points), an I 5 motorway, a footway, an
//    unnamed residential roundabout, "Oak Street" (oneway=no), "Cut Street" (one node missing);
//  - water: "Laurelhurst Pond" (a closed way), "Mirror Lake" (a multipolygon with an island),
//    "Willamette River" (a waterway=river line);
//  - places: "Gresham" (town, population "105,594", no state);
//  - addresses: 1221 SW 4th Ave (a node, Portland 97204, OR) and 2000 NE Oak St (a building, no
//    state).
void write_sample_extract(const std::string& path);

}  // namespace tolm::importer::testing
