#include "tools/tolm-import/road_reader.h"

#include "tools/tolm-import/gdal_source.h"
#include "tools/tolm-import/import_error.h"
#include "engine/us_states.h"

#include "platform/text.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace tolm::importer {

namespace {

struct FeatureDeleter {
    void operator()(OGRFeature* feature) const { OGRFeature::DestroyFeature(feature); }
};
using FeaturePtr = std::unique_ptr<OGRFeature, FeatureDeleter>;

char parity_of(std::string_view value) {
    if (value == "O" || value == "E" || value == "B") return value[0];
    return 'M';
}

}  // namespace

std::optional<engine::RoadClass> detail::tiger_road_class(std::string_view mtfcc) {
    using engine::RoadClass;
    if (mtfcc == "S1100") return RoadClass::interstate;
    if (mtfcc == "S1200") return RoadClass::highway;
    if (mtfcc == "S1630") return RoadClass::ramp;
    if (mtfcc == "S1400" || mtfcc == "S1500" || mtfcc == "S1640" || mtfcc == "S1730" || mtfcc == "S1740" ||
        mtfcc == "S1780")
        return RoadClass::local;
    return std::nullopt;
}

std::string detail::state_code_of_tiger_name(std::string_view path) {
    std::string name = std::filesystem::path(std::string(path)).filename().string();
    // tl_<year>_<state fips><county fips>_<layer>
    if (!name.starts_with("tl_") || name.size() < 10) return {};
    std::size_t second = name.find('_', 3);
    if (second == std::string::npos || second + 3 > name.size()) return {};
    if (auto state = engine::state_by_fips(std::string_view(name).substr(second + 1, 2))) return std::string(state->code);
    return {};
}

std::size_t read_tiger_address_features(const std::string& path, engine::FeatureSet& out, Progress& progress,
                                        const std::string& state_code, const std::vector<engine::ZipFeature>& known_zips) {
    VectorSource source(path);
    OGRLayer* layer = source.first_layer();
    if (layer->GetLayerDefn()->GetFieldIndex("LFROMHN") < 0)
        throw ImportError("\"" + path + "\" is not a TIGER/Line address feature file (no LFROMHN field)");
    std::string state = state_code.empty() ? detail::state_code_of_tiger_name(path) : to_upper_ascii(state_code);

    std::unordered_map<std::string, std::string> zip_places;
    for (const auto& zip : out.zips) zip_places.emplace(zip.zip, zip.place);
    for (const auto& zip : known_zips) zip_places.emplace(zip.zip, zip.place);

    progress.begin("reading address ranges from " + path);
    ToLonLat to_lon_lat(*layer);
    const auto total = static_cast<std::uint64_t>(std::max<GIntBig>(0, layer->GetFeatureCount()));
    std::unordered_set<std::string> edges_seen;
    std::size_t roads = 0, ranges = 0;
    std::uint64_t done = 0;
    layer->ResetReading();
    for (auto& feature : *layer) {
        progress.update(++done, total);
        OGRGeometry* geometry = feature->GetGeometryRef();
        if (geometry == nullptr || !to_lon_lat.apply(*geometry)) continue;
        auto lines = polylines(geometry);
        if (lines.empty()) continue;
        std::string name = field_text(*feature, "FULLNAME");
        std::string mtfcc = field_text(*feature, "ROAD_MTFCC");
        if (mtfcc.empty()) mtfcc = field_text(*feature, "EDGE_MTFCC");
        if (mtfcc.empty()) mtfcc = field_text(*feature, "MTFCC");

        // An edge with several address ranges comes once per range; draw it once.
        std::string tlid = field_text(*feature, "TLID");
        auto road_class = detail::tiger_road_class(mtfcc);
        if (road_class && (tlid.empty() || edges_seen.insert(tlid).second)) {
            for (const auto& line : lines) {
                engine::RoadFeature road;
                road.road_class = *road_class;
                road.name = name;
                road.points = line;
                out.roads.push_back(std::move(road));
                ++roads;
            }
        }

        for (bool right : {false, true}) {
            std::string from = trim_blanks(field_text(*feature, right ? "RFROMHN" : "LFROMHN"));
            std::string to = trim_blanks(field_text(*feature, right ? "RTOHN" : "LTOHN"));
            if (from.empty() && to.empty()) continue;
            engine::AddressRangeFeature range;
            range.street = name;
            range.from_number = from.empty() ? to : from;
            range.to_number = to.empty() ? from : to;
            range.right_side = right;
            range.parity = parity_of(field_text(*feature, right ? "PARITYR" : "PARITYL"));
            range.zip = field_text(*feature, right ? "ZIPR" : "ZIPL");
            if (auto place = zip_places.find(range.zip); place != zip_places.end()) range.place = place->second;
            range.state_code = state;
            // A multi-part edge is rare; the range follows its longest part.
            range.points = *std::max_element(lines.begin(), lines.end(),
                                             [](const auto& a, const auto& b) { return a.size() < b.size(); });
            out.address_ranges.push_back(std::move(range));
            ++ranges;
        }
    }
    progress.end(std::to_string(roads) + " roads, " + std::to_string(ranges) + " address ranges");
    return roads + ranges;
}

}  // namespace tolm::importer
