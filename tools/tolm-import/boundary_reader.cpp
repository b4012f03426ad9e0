#include "tools/tolm-import/boundary_reader.h"

#include "tools/tolm-import/gdal_source.h"
#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/us_states.h"

#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <memory>

namespace tolm::importer {

namespace {

constexpr double k_water_cell_degrees = 10.0;

std::string first_field(const OGRFeature& feature, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        std::string text = field_text(feature, name);
        if (!text.empty()) return text;
    }
    return {};
}

// The FIPS code of a feature: TopoJSON keeps it as the feature id, shapefiles in GEOID.
std::string fips_of(const OGRFeature& feature) {
    std::string code = first_field(feature, {"id", "GEOID", "geoid", "FIPS"});
    return code;
}

std::string state_code_of(const OGRFeature& feature, const std::string& fips) {
    std::string state_fips = first_field(feature, {"STATEFP", "statefp"});
    if (state_fips.empty() && fips.size() >= 2) state_fips = fips.substr(0, 2);
    if (auto state = state_by_fips(state_fips)) return std::string(state->code);
    return {};
}

std::size_t read_area_layer(OGRLayer& layer, engine::AreaKind kind, const std::string& path, ImportData& out,
                            Progress& progress) {
    ToLonLat to_lon_lat(layer);
    const auto total = static_cast<std::uint64_t>(std::max<GIntBig>(0, layer.GetFeatureCount()));
    std::uint64_t done = 0;
    std::size_t added = 0;
    std::vector<std::string> repaired;
    layer.ResetReading();
    for (auto& feature : layer) {
        progress.update(++done, total);
        engine::AreaFeature area;
        area.kind = kind;
        area.name = first_field(*feature, {"name", "NAME"});
        area.code = fips_of(*feature);
        area.state_code = state_code_of(*feature, area.code);
        if (kind == engine::AreaKind::state) {
            // The atlas names states but some sources do not; the FIPS table fills the gap.
            if (auto state = state_by_fips(area.code)) {
                area.state_code = state->code;
                if (area.name.empty()) area.name = state->name;
            }
        }
        OGRGeometry* geometry = feature->GetGeometryRef();
        std::string label = "\"" + area.name + "\" (" + area.code + ") in " + path;
        if (geometry == nullptr || geometry->IsEmpty()) {
            progress.warn("skipped " + label + ": it has no shape");
            out.unshaped.push_back({kind, area.name, area.code, area.state_code});
            continue;
        }
        if (!to_lon_lat.apply(*geometry)) {
            progress.warn("skipped " + label + ": its shape cannot be turned into degrees");
            continue;
        }
        PolygonResult polygon = polygon_rings(geometry);
        if (polygon.rings.empty()) {
            progress.warn("skipped " + label + ": its shape has no area");
            out.unshaped.push_back({kind, area.name, area.code, area.state_code});
            continue;
        }
        if (polygon.repaired) repaired.push_back(area.name + " (" + area.code + ")");
        area.rings = std::move(polygon.rings);
        out.features.areas.push_back(std::move(area));
        ++added;
    }
    if (!repaired.empty()) {
        // Quantised atlas shapes cross themselves by the dozen; one line tells it.
        std::string names;
        for (std::size_t i = 0; i < repaired.size() && i < 8; ++i) names += (i ? ", " : "") + repaired[i];
        if (repaired.size() > 8) names += ", ...";
        progress.warn("repaired " + std::to_string(repaired.size()) + " self-intersecting shapes in " + path + ": " + names);
    }
    return added;
}

std::unique_ptr<OGRPolygon> box_polygon(double west, double south, double east, double north) {
    auto ring = std::make_unique<OGRLinearRing>();
    ring->addPoint(west, south);
    ring->addPoint(east, south);
    ring->addPoint(east, north);
    ring->addPoint(west, north);
    ring->addPoint(west, south);
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(ring.release());
    return polygon;
}

// Water is what lies outside the nation's land: each cell of a 10-degree grid minus the parts of
// the nation that reach into it.
std::size_t add_water(OGRLayer& layer, ImportData& out, Progress& progress) {
    std::vector<std::unique_ptr<OGRGeometry>> parts;
    ToLonLat to_lon_lat(layer);
    layer.ResetReading();
    for (auto& feature : layer) {
        OGRGeometry* geometry = feature->GetGeometryRef();
        if (geometry == nullptr || geometry->IsEmpty() || !to_lon_lat.apply(*geometry)) continue;
        std::unique_ptr<OGRGeometry> valid(geometry->clone());
        if (OGRGeometryFactory::haveGEOS() && !valid->IsValid()) {
            std::unique_ptr<OGRGeometry> repaired(valid->MakeValid());
            if (repaired) valid = std::move(repaired);
        }
        auto type = wkbFlatten(valid->getGeometryType());
        if (type == wkbMultiPolygon || type == wkbGeometryCollection) {
            for (const OGRGeometry* part : *valid->toGeometryCollection())
                if (wkbFlatten(part->getGeometryType()) == wkbPolygon) parts.emplace_back(part->clone());
        } else if (type == wkbPolygon) {
            parts.push_back(std::move(valid));
        }
    }
    if (parts.empty()) return 0;
    std::vector<OGREnvelope> envelopes(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) parts[i]->getEnvelope(&envelopes[i]);

    const int columns = static_cast<int>(std::lround(360.0 / k_water_cell_degrees));
    const int rows = static_cast<int>(std::lround(180.0 / k_water_cell_degrees));
    std::size_t added = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            progress.update(static_cast<std::uint64_t>(row * columns + column), static_cast<std::uint64_t>(rows * columns));
            double west = -180.0 + column * k_water_cell_degrees;
            double south = -90.0 + row * k_water_cell_degrees;
            double east = west + k_water_cell_degrees;
            double north = south + k_water_cell_degrees;
            std::unique_ptr<OGRGeometry> water = box_polygon(west, south, east, north);
            if (OGRGeometryFactory::haveGEOS()) {
                for (std::size_t i = 0; i < parts.size(); ++i) {
                    const OGREnvelope& e = envelopes[i];
                    if (e.MaxX < west || e.MinX > east || e.MaxY < south || e.MinY > north) continue;
                    std::unique_ptr<OGRGeometry> rest(water->Difference(parts[i].get()));
                    if (rest == nullptr) continue;  // leave the cell as it was rather than lose it
                    water = std::move(rest);
                    if (water->IsEmpty()) break;
                }
            }
            engine::AreaFeature area;
            area.kind = engine::AreaKind::water;
            area.rings = polygon_rings(water.get()).rings;
            if (area.rings.empty()) continue;
            out.features.areas.push_back(std::move(area));
            ++added;
        }
    }
    return added;
}

}  // namespace

void read_census_boundaries(const std::string& path, ImportData& out, Progress& progress) {
    VectorSource source(path);
    OGRLayer* states = source.layer("states");
    OGRLayer* counties = source.layer("counties");
    OGRLayer* nation = source.layer("nation");
    if (states == nullptr && counties == nullptr && nation == nullptr)
        throw ImportError("\"" + path + "\" has no layer \"states\", \"counties\" or \"nation\"");
    if (states != nullptr) {
        progress.begin("reading states from " + path);
        progress.end(std::to_string(read_area_layer(*states, engine::AreaKind::state, path, out, progress)) + " states");
    }
    if (counties != nullptr) {
        progress.begin("reading counties from " + path);
        progress.end(std::to_string(read_area_layer(*counties, engine::AreaKind::county, path, out, progress)) +
                     " counties");
    }
    if (nation != nullptr) {
        progress.begin("cutting the water outside the nation from " + path);
        progress.end(std::to_string(add_water(*nation, out, progress)) + " water cells");
    }
}

void read_tiger_areas(const std::string& path, engine::AreaKind kind, ImportData& out, Progress& progress) {
    VectorSource source(path);
    OGRLayer* layer = source.first_layer();
    progress.begin("reading areas from " + path);
    progress.end(std::to_string(read_area_layer(*layer, kind, path, out, progress)) + " areas");
}

}  // namespace tolm::importer
