#include "tools/tolm-import/importer.h"

#include "tools/tolm-import/boundary_reader.h"
#include "tools/tolm-import/gazetteer_reader.h"
#include "tools/tolm-import/product_folder.h"
#include "tools/tolm-import/road_reader.h"
#include "tools/tolm-import/search_files.h"

#include <set>

namespace tolm::importer {

void run_import(const ImportOptions& options, Progress& progress) {
    ImportData data;
    std::set<SourceKind> sources;

    // The world's land first: the water cut from the nation outline leaves it out.
    for (const auto& path : options.world_land) {
        read_world_land(path, options.lakes, data, progress);
        sources.insert(SourceKind::world_land);
        if (!options.lakes.empty()) sources.insert(SourceKind::lakes);
    }
    for (const auto& path : options.boundaries) {
        read_census_boundaries(path, data, progress);
        sources.insert(SourceKind::census_atlas);
    }
    for (const auto& path : options.places) {
        read_places(path, data.features, progress);
        sources.insert(SourceKind::geonames);
    }
    for (const auto& path : options.zips) {
        read_zips(path, data.features, progress);
        sources.insert(SourceKind::zip_codes);
    }
    for (const auto& path : options.area_codes) {
        read_area_codes(path, data.features, progress);
        sources.insert(SourceKind::area_codes);
    }
    name_place_counties(data.features);
    check_point_positions(data.features, progress);

    for (const auto& path : options.osm) {
        read_osm_roads(path, data, progress);
        sources.insert(SourceKind::openstreetmap);
    }
    for (const auto& path : options.tiger_addrfeat) {
        read_tiger_address_features(path, data.features, progress, options.tiger_state);
        sources.insert(SourceKind::tiger_address);
    }
    for (const auto& path : options.tiger_cousub) {
        read_tiger_areas(path, engine::AreaKind::minor_civil_division, data, progress);
        sources.insert(SourceKind::tiger_areas);
    }
    for (const auto& path : options.tiger_place) {
        read_tiger_areas(path, engine::AreaKind::place, data, progress);
        sources.insert(SourceKind::tiger_areas);
    }

    ProductFolder product({options.output, options.ini_root});
    product.write(data, sources, progress);
    if (!options.boundaries.empty()) product.write_region_files(data, progress);
    if (!options.mile_markers.empty()) {
        auto segments = read_mile_marker_csv(options.mile_markers, progress);
        product.write_mile_markers(segments);
    }
}

}  // namespace tolm::importer
