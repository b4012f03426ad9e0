#include "tools/tolm-import/importer.h"

#include "tools/tolm-import/boundary_reader.h"
#include "tools/tolm-import/gazetteer_reader.h"
#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/osm_reader.h"
#include "tools/tolm-import/product_folder.h"
#include "tools/tolm-import/road_reader.h"
#include "tools/tolm-import/search_files.h"

#include <set>

namespace tolm::importer {

void run_import(const ImportOptions& options, Progress& progress) {
    if (!reads_vector_files()) {
        // Refused before a long OSM read, not after it.
        auto refuse = [](const std::vector<std::string>& paths, const char* option) {
            if (!paths.empty())
                throw ImportError(std::string(option) + " \"" + paths.front() +
                                  "\": shapefiles and the other GDAL sources need the Linux importer (tolm-import "
                                  "built with GDAL); this importer reads OpenStreetMap PBF files (--osm) and the JSON "
                                  "sources (--places, --zips, --area-codes)");
        };
        refuse(options.boundaries, "--boundaries");
        refuse(options.world_land, "--world-land");
        refuse(options.tiger_addrfeat, "--tiger-addrfeat");
        refuse(options.tiger_cousub, "--tiger-cousub");
        refuse(options.tiger_place, "--tiger-place");
    }
    ImportData data;
    std::set<SourceKind> sources;
    ProductFolder product({options.output, options.ini_root});

    // What the product already holds and this import relies on without bringing it: the states that
    // check the positions of ZIP and area codes, the counties that name the places, the places that
    // misplaced codes move to, the ZIP codes that name the places of address ranges. A second import
    // then reads its sources as the first did, and what it adds again is found to be there.
    const bool gazetteer = !options.places.empty() || !options.zips.empty() || !options.area_codes.empty();
    engine::FeatureSet known;
    if (gazetteer && options.boundaries.empty())
        for (auto& area : product.existing_features(DataFolder::states).areas)
            if (area.kind == engine::AreaKind::state || area.kind == engine::AreaKind::county) known.areas.push_back(std::move(area));
    if ((gazetteer && options.places.empty()) || (!options.tiger_addrfeat.empty() && options.zips.empty())) {
        engine::FeatureSet held = product.existing_features(DataFolder::data1);
        known.places = std::move(held.places);
        known.zips = std::move(held.zips);
    }

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
    name_place_counties(data.features, known);
    check_point_positions(data.features, progress, known);

    for (const auto& path : options.osm) {
        read_osm(path, data, progress, {options.output});
        sources.insert(SourceKind::openstreetmap);
    }
    for (const auto& path : options.tiger_addrfeat) {
        read_tiger_address_features(path, data.features, progress, options.tiger_state, known.zips);
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

    known = {};
    // The search files first: the packs then take the features.
    if (!options.boundaries.empty()) product.write_region_files(data, progress);
    product.write(std::move(data), sources, progress);
    if (!options.mile_markers.empty()) {
        auto segments = read_mile_marker_csv(options.mile_markers, progress);
        product.write_mile_markers(segments);
    }
}

}  // namespace tolm::importer
