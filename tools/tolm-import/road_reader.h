#pragma once

#include "engine/feature_set.h"
#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/progress.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolm::importer {

// TIGER/Line address features (ADDRFEAT): one road per edge and one address range per side that
// has house numbers, with its ZIP code and parity. The state comes from the file name
// (tl_2021_30059_addrfeat is in state 30) unless given; the place from the ZIP codes already read
// into `out`, or else from `known_zips` (the product's own).
std::size_t read_tiger_address_features(const std::string& path, engine::FeatureSet& out, Progress& progress,
                                        const std::string& state_code = {},
                                        const std::vector<engine::ZipFeature>& known_zips = {});

namespace detail {
// What a TIGER MAF/TIGER feature class code (S1100 ...) makes of a road: its class and the finer
// kind the renderer ranks roads by, or nothing for lines the map leaves out.
struct TigerRoadType {
    engine::RoadClass road_class;
    engine::RoadKind kind;
};
std::optional<TigerRoadType> tiger_road_type(std::string_view mtfcc);
// The state code in a TIGER file name (tl_2021_30059_addrfeat.shp gives MT), empty when none.
std::string state_code_of_tiger_name(std::string_view path);
}  // namespace detail

}  // namespace tolm::importer
