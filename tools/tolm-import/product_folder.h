#pragma once

#include "engine/feature_set.h"
#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/progress.h"
#include "tools/tolm-import/search_files.h"

#include <set>
#include <string>
#include <vector>

namespace tolm::importer {

// The four folders MAP.INI names. The server derives the supplementary states folder itself.
enum class DataFolder { data1, data2, data3, states };

// Where each kind of feature goes: the states folder holds what a whole-country map needs (state
// and county boundaries, water), Data1 the gazetteer (places, ZIP codes, area codes), Data2 the
// streets (roads and address ranges), Data3 the finer divisions (county subdivisions, places).
DataFolder folder_of(engine::AreaKind kind);

// Sources the product may be built from; each is credited with its licence beside the data.
enum class SourceKind { census_atlas, geonames, zip_codes, area_codes, openstreetmap, tiger_address, tiger_areas, mile_markers, world_land, lakes };

// The text the ATTRIBUTION files carry for a source.
std::string credit_text(SourceKind kind);

// The credits of a folder: the blocks of its existing ATTRIBUTION text, kept, and the credits of
// those sources that lie in the folder and are missing from it.
std::string merged_credits(const std::string& existing, const std::set<SourceKind>& sources, DataFolder folder);

// The folder of the product that holds data from the source.
DataFolder folder_of(SourceKind kind);

struct ProductOptions {
    std::string folder;  // the product folder
    // What MAP.INI calls the product folder, when the server sees it under another path (a
    // Windows drive letter under Wine: "Z:\work\product"); empty means the folder itself.
    std::string ini_root;
};

// The product folder:
//   MAP.INI              [Application Interface] Data1Path, Data2Path, Data3Path, StatesPath
//   ATTRIBUTION          the credits of every source of the packs now in the product
//   Data1/ Data2/ Data3/ States/   one pack each (gazetteer, streets, divisions, boundaries),
//                        with its own ATTRIBUTION beside it
//   statell.dat, countyll.dat, milemark.dat   the server's search files (copied beside the server)
// A pack is written only when this import has features for it. Imports add, never wipe: a pack the
// product already has is read and this import's features are added to it (those it already holds
// are not added twice), and its ATTRIBUTION keeps the credits of every earlier source. A pack that
// cannot be read stops the import, naming it. Every file is replaced atomically.
class ProductFolder {
public:
    explicit ProductFolder(ProductOptions options);

    std::string folder_path(DataFolder folder) const;
    std::string pack_path(DataFolder folder) const;
    std::string map_ini_text() const;

    // The features of the folder's pack as the product holds it now: none when there is no pack or
    // it cannot be read (writing then stops with the reason).
    engine::FeatureSet existing_features(DataFolder folder) const;

    // Writes the packs of the data and their credits, MAP.INI and the product's ATTRIBUTION.
    // The features are taken from `data` (pass it moved when it is no longer needed: a state's roads
    // are then not copied).
    void write(ImportData data, const std::set<SourceKind>& sources, Progress& progress);

    // Writes statell.dat and countyll.dat when the data has states or counties.
    void write_region_files(const ImportData& data, Progress& progress);
    void write_mile_markers(const std::vector<MileSegment>& segments);

private:
    void write_attribution();

    ProductOptions m_options;
};

}  // namespace tolm::importer
