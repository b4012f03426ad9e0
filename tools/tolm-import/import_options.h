#pragma once

#include <string>
#include <vector>

namespace tolm::importer {

// What one run of tolm-import reads and where it writes.
struct ImportOptions {
    std::string output;                     // product folder
    std::string ini_root;                   // the product folder as MAP.INI should name it
    std::vector<std::string> boundaries;    // Census TopoJSON (states, counties, nation layers)
    std::vector<std::string> world_land;    // world land polygons (TopoJSON layer "land")
    std::vector<std::string> lakes;         // lake polygons cut out of the world's land
    std::vector<std::string> places;        // GeoNames JSON
    std::vector<std::string> zips;          // ZIP code JSON or module
    std::vector<std::string> area_codes;    // area code JSON
    std::vector<std::string> osm;           // OpenStreetMap PBF or XML
    std::vector<std::string> tiger_addrfeat;
    std::vector<std::string> tiger_cousub;
    std::vector<std::string> tiger_place;
    std::string tiger_state;                // state code for ADDRFEAT files whose name does not tell it
    std::string mile_markers;               // CSV
    bool quiet = false;
    bool help = false;
};

// Reads the command line; raises ImportError with a message for the user on a bad one.
ImportOptions parse_import_options(const std::vector<std::string>& arguments);

std::string import_usage();

}  // namespace tolm::importer
