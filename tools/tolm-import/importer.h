#pragma once

#include "tools/tolm-import/import_options.h"
#include "tools/tolm-import/progress.h"

namespace tolm::importer {

// One whole import: reads every source in an order that lets later ones use earlier ones (ZIP
// codes name the places of address ranges, states check the positions of area codes), then writes
// the product folder. Raises ImportError on a source that cannot be read at all.
// Shapefiles and the other GDAL sources (boundaries, world land, TIGER/Line) are refused before
// anything is read when the build has no GDAL (reads_vector_files() is false).
void run_import(const ImportOptions& options, Progress& progress);

// Whether this build of the importer reads shapefiles and other GDAL sources (the Linux one does).
bool reads_vector_files() noexcept;

}  // namespace tolm::importer
