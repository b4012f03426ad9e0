#pragma once

#include "engine/feature_set.h"

#include <string>
#include <vector>

namespace tolm::importer {

// A boundary feature that the source names but gives no shape (the atlas has such a county).
struct UnshapedArea {
    engine::AreaKind kind = engine::AreaKind::county;
    std::string name;
    std::string code;
    std::string state_code;
};

// Everything one import gathers before it is split into packs and search files.
struct ImportData {
    engine::FeatureSet features;
    std::vector<UnshapedArea> unshaped;
    // Rivers and lakes of street-level sources (an OSM extract). They travel in the streets pack, so
    // that a later import of the boundaries does not replace them, nor they the boundaries.
    std::vector<engine::AreaFeature> street_water;
    // Places of street-level sources, beside their streets rather than in the gazetteer.
    std::vector<engine::PlaceFeature> street_places;
};

}  // namespace tolm::importer
