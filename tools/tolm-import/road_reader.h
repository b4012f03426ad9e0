#pragma once

#include "engine/feature_set.h"
#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/progress.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolm::importer {

// OpenStreetMap roads from a PBF or XML extract: ways with a road "highway" tag, their name, route
// number and one-way rule; and the extract's lakes, reservoirs and river areas as water (into
// street_water). Unsorted extracts and negative (locally edited) ids are read in full.
std::size_t read_osm_roads(const std::string& path, ImportData& out, Progress& progress);

// TIGER/Line address features (ADDRFEAT): one road per edge and one address range per side that
// has house numbers, with its ZIP code and parity. The state comes from the file name
// (tl_2021_30059_addrfeat is in state 30) unless given; the place from the ZIP codes already read.
std::size_t read_tiger_address_features(const std::string& path, engine::FeatureSet& out, Progress& progress,
                                        const std::string& state_code = {});

namespace detail {
// The road class of an OSM highway value, or nothing for ways that are not roads (paths, steps).
std::optional<engine::RoadClass> osm_road_class(std::string_view highway, std::string_view ref);
// The class of a TIGER MAF/TIGER feature class code (S1100 ...), or nothing for non-roads.
std::optional<engine::RoadClass> tiger_road_class(std::string_view mtfcc);
// True for the tags of an OSM area that is water (natural=water, waterway=riverbank, reservoirs).
bool osm_is_water(std::string_view natural, std::string_view landuse, std::string_view other_tags);
// A value from the hstore text the OSM driver keeps the other tags in: "oneway"=>"yes","ref"=>"I 5".
std::string hstore_value(std::string_view hstore, std::string_view key);
// The state code in a TIGER file name (tl_2021_30059_addrfeat.shp gives MT), empty when none.
std::string state_code_of_tiger_name(std::string_view path);
}  // namespace detail

}  // namespace tolm::importer
