#pragma once

#include "engine/feature_set.h"
#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/progress.h"

#include <string>
#include <vector>

namespace tolm::importer {

// Census boundaries as the atlas TopoJSON (or any GDAL source with the same layers) carries them:
// layer "states" and "counties" with the FIPS code in "id" (or GEOID/STATEFP) and the name in
// "name" (or NAME), and layer "nation". States and counties become areas; the water is everything
// outside the nation, cut into 10-degree cells so that a view loads only the coast it shows.
// Broken features (an empty county, self-intersecting rings) are repaired or skipped with a warning.
// Raises ImportError when the file holds none of these layers.
void read_census_boundaries(const std::string& path, ImportData& out, Progress& progress);

// Land of the whole world (layer "countries" less the United States, or layer "land", or else the
// first layer, of a TopoJSON, GeoJSON or any GDAL source), cut along the water grid into
// AreaKind::land areas: the neighbouring countries are painted as land rather than sea. Countries
// are joined within each cell, shapes across the date line are unwrapped, and the lakes of
// `lake_paths` (the first layer of each; lakes under k_least_lake_area left out) are cut out. Read it
// before the boundaries: the water cut from the nation outline then leaves this land out too.
// Raises ImportError when the file holds no polygons or a lake file no lakes.
void read_world_land(const std::string& path, const std::vector<std::string>& lake_paths, ImportData& out,
                     Progress& progress);

// TIGER/Line county subdivision (COUSUB) or place (PLACE) polygons: NAME, GEOID and STATEFP.
void read_tiger_areas(const std::string& path, engine::AreaKind kind, ImportData& out, Progress& progress);

}  // namespace tolm::importer
