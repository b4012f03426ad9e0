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

std::optional<detail::TigerRoadType> detail::tiger_road_type(std::string_view mtfcc) {
    using engine::RoadClass;
    using engine::RoadKind;
    // The feature classes that carry vehicles, ranked as the OpenStreetMap reader ranks its highway
    // values, so that a street looks the same whichever source it came from. Walkways, stairways,
    // bike and bridle paths, winter trails, medians and the Census Bureau's internal lines are left
    // out, as the OpenStreetMap reader leaves out footways and paths.
    struct Entry {
        std::string_view mtfcc;
        TigerRoadType type;
    };
    static constexpr Entry k_types[] = {
        {"S1100", {RoadClass::interstate, RoadKind::motorway}},  // primary road: limited access
        {"S1200", {RoadClass::highway, RoadKind::primary}},      // secondary road: U.S. and state highways
        {"S1400", {RoadClass::local, RoadKind::minor}},          // local neighbourhood road, city street
        {"S1500", {RoadClass::local, RoadKind::track}},          // vehicular trail, four-wheel drive
        {"S1630", {RoadClass::ramp, RoadKind::unknown}},         // ramp: ranked by its class, as links are
        {"S1640", {RoadClass::local, RoadKind::service}},        // service drive along a highway
        {"S1730", {RoadClass::local, RoadKind::service}},        // alley
        {"S1740", {RoadClass::local, RoadKind::service}},        // private road for service vehicles
        {"S1780", {RoadClass::local, RoadKind::service}},        // parking lot road
    };
    for (const auto& entry : k_types)
        if (entry.mtfcc == mtfcc) return entry.type;
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
        const auto road_type = detail::tiger_road_type(mtfcc);
        if (road_type && (tlid.empty() || edges_seen.insert(tlid).second)) {
            for (const auto& line : lines) {
                engine::RoadFeature road;
                road.road_class = road_type->road_class;
                road.kind = road_type->kind;
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
