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

bool is_yes(std::string_view value) { return value == "yes" || value == "true" || value == "1"; }

char parity_of(std::string_view value) {
    if (value == "O" || value == "E" || value == "B") return value[0];
    return 'M';
}

}  // namespace

std::optional<engine::RoadClass> detail::osm_road_class(std::string_view highway, std::string_view ref) {
    using engine::RoadClass;
    if (highway == "motorway") {
        // US motorways are interstates nearly everywhere; toll roads and state freeways are not.
        return ref.starts_with("I ") || ref.starts_with("I-") || ref.empty() ? RoadClass::interstate : RoadClass::highway;
    }
    if (highway == "trunk" || highway == "primary") return RoadClass::highway;
    if (highway == "secondary" || highway == "tertiary") return RoadClass::major;
    if (highway.ends_with("_link")) return RoadClass::ramp;
    if (highway == "unclassified" || highway == "residential" || highway == "living_street" || highway == "service" ||
        highway == "road" || highway == "track")
        return RoadClass::local;
    return std::nullopt;
}

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

std::string detail::hstore_value(std::string_view hstore, std::string_view key) {
    // Pairs "key"=>"value" separated by commas; quotes and backslashes inside are escaped.
    std::size_t i = 0;
    auto read_quoted = [&](std::string& text) {
        text.clear();
        while (i < hstore.size() && hstore[i] != '"') ++i;
        if (i >= hstore.size()) return false;
        ++i;
        while (i < hstore.size() && hstore[i] != '"') {
            if (hstore[i] == '\\' && i + 1 < hstore.size()) ++i;
            text.push_back(hstore[i++]);
        }
        if (i >= hstore.size()) return false;
        ++i;
        return true;
    };
    std::string name, value;
    while (read_quoted(name)) {
        std::size_t arrow = hstore.find("=>", i);
        if (arrow == std::string_view::npos) return {};
        i = arrow + 2;
        if (!read_quoted(value)) return {};
        if (name == key) return value;
    }
    return {};
}

bool detail::osm_is_water(std::string_view natural, std::string_view landuse, std::string_view other_tags) {
    if (natural == "water" || landuse == "reservoir" || landuse == "basin") return true;
    return hstore_value(other_tags, "waterway") == "riverbank";
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

std::size_t read_osm_roads(const std::string& path, ImportData& data, Progress& progress) {
    engine::FeatureSet& out = data.features;
    VectorSource source(path);
    if (source.layer("lines") == nullptr) throw ImportError("\"" + path + "\" is not an OpenStreetMap extract");
    progress.begin("reading roads from " + path);
    GDALDataset& dataset = source.dataset();
    dataset.ResetReading();
    std::size_t added = 0, water = 0;
    std::uint64_t done = 0;
    for (;;) {
        OGRLayer* layer = nullptr;
        double percent = 0;
        FeaturePtr feature(dataset.GetNextFeature(&layer, &percent, nullptr, nullptr));
        if (!feature) break;
        progress.update(++done, 0, percent * 100.0);
        if (layer != nullptr && EQUAL(layer->GetName(), "multipolygons")) {
            if (!detail::osm_is_water(field_text(*feature, "natural"), field_text(*feature, "landuse"),
                                      field_text(*feature, "other_tags")))
                continue;
            PolygonResult polygon = polygon_rings(feature->GetGeometryRef());
            if (polygon.rings.empty()) continue;
            engine::AreaFeature area;
            area.kind = engine::AreaKind::water;
            area.name = field_text(*feature, "name");
            area.rings = std::move(polygon.rings);
            data.street_water.push_back(std::move(area));
            ++water;
            continue;
        }
        if (layer == nullptr || !EQUAL(layer->GetName(), "lines")) continue;
        std::string highway = field_text(*feature, "highway");
        if (highway.empty()) continue;
        std::string other_tags = field_text(*feature, "other_tags");
        std::string ref = field_text(*feature, "ref");
        if (ref.empty()) ref = detail::hstore_value(other_tags, "ref");
        auto road_class = detail::osm_road_class(highway, ref);
        if (!road_class) continue;
        std::string oneway = field_text(*feature, "oneway");
        if (oneway.empty()) oneway = detail::hstore_value(other_tags, "oneway");
        bool reversed = oneway == "-1" || oneway == "reverse";
        bool is_oneway = is_yes(oneway) || reversed;
        if (oneway.empty() &&
            (highway == "motorway" || detail::hstore_value(other_tags, "junction") == "roundabout"))
            is_oneway = true;  // implied by the tagging rules
        for (auto& line : polylines(feature->GetGeometryRef())) {
            engine::RoadFeature road;
            road.road_class = *road_class;
            road.name = field_text(*feature, "name");
            road.ref = ref;
            road.oneway = is_oneway;
            if (reversed) std::reverse(line.begin(), line.end());
            road.points = std::move(line);
            out.roads.push_back(std::move(road));
            ++added;
        }
    }
    progress.end(std::to_string(added) + " roads, " + std::to_string(water) + " water areas");
    return added;
}

std::size_t read_tiger_address_features(const std::string& path, engine::FeatureSet& out, Progress& progress,
                                        const std::string& state_code) {
    VectorSource source(path);
    OGRLayer* layer = source.first_layer();
    if (layer->GetLayerDefn()->GetFieldIndex("LFROMHN") < 0)
        throw ImportError("\"" + path + "\" is not a TIGER/Line address feature file (no LFROMHN field)");
    std::string state = state_code.empty() ? detail::state_code_of_tiger_name(path) : to_upper_ascii(state_code);

    std::unordered_map<std::string, std::string> zip_places;
    for (const auto& zip : out.zips) zip_places.emplace(zip.zip, zip.place);

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
