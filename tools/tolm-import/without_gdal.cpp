// The readers of shapefiles and other GDAL sources in a build without GDAL (the Windows importer):
// each says that the Linux importer reads them.
#include "tools/tolm-import/boundary_reader.h"
#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/importer.h"
#include "tools/tolm-import/overlay_import.h"
#include "tools/tolm-import/road_reader.h"

namespace tolm::importer {

namespace {
[[noreturn]] void needs_linux_importer(const std::string& path, const char* what) {
    throw ImportError("\"" + path + "\": " + what +
                      " need the Linux importer (tolm-import built with GDAL); this importer reads OpenStreetMap "
                      "PBF files (--osm) and the JSON sources (--places, --zips, --area-codes)");
}
}  // namespace

bool reads_vector_files() noexcept { return false; }

void read_census_boundaries(const std::string& path, ImportData&, Progress&) { needs_linux_importer(path, "boundary files"); }
void read_world_land(const std::string& path, const std::vector<std::string>&, ImportData&, Progress&) {
    needs_linux_importer(path, "land polygon files");
}
void read_tiger_areas(const std::string& path, engine::AreaKind, ImportData&, Progress&) {
    needs_linux_importer(path, "TIGER/Line shapefiles");
}
std::size_t read_tiger_address_features(const std::string& path, engine::FeatureSet&, Progress&, const std::string&,
                                        const std::vector<engine::ZipFeature>&) {
    needs_linux_importer(path, "TIGER/Line shapefiles");
}
OverlayImport overlay_from_vector_file(const std::string& input) { needs_linux_importer(input, "GPX, KML and other vector files"); }
OverlayImport import_overlay(const std::string& input, const std::string&) {
    needs_linux_importer(input, "GPX, KML and other vector files");
}

}  // namespace tolm::importer
