#pragma once

#include "tools/tolm-import/import_options.h"
#include "tools/tolm-import/progress.h"

namespace tolm::importer {

// One whole import: reads every source in an order that lets later ones use earlier ones (ZIP
// codes name the places of address ranges, states check the positions of area codes), then writes
// the product folder. Raises ImportError on a source that cannot be read at all.
void run_import(const ImportOptions& options, Progress& progress);

}  // namespace tolm::importer
