#include "tools/tolm-import/boundary_reader.h"

#include "tools/tolm-import/gdal_source.h"
#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"
#include "engine/pack/pack_format.h"
#include "engine/us_states.h"

#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <memory>

namespace tolm::importer {

namespace {

constexpr double k_water_cell_degrees = engine::pack::to_degrees(engine::pack::k_cut_cell_units);

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
    if (auto state = engine::state_by_fips(state_fips)) return std::string(state->code);
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
            if (auto state = engine::state_by_fips(area.code)) {
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

// The polygons of a layer in degrees, made valid where they cross themselves, each with its box.
struct PolygonParts {
    std::vector<std::unique_ptr<OGRGeometry>> parts;
    std::vector<OGREnvelope> envelopes;

    void add(std::unique_ptr<OGRGeometry> part) {
        OGREnvelope envelope;
        part->getEnvelope(&envelope);
        parts.push_back(std::move(part));
        envelopes.push_back(envelope);
    }
    bool reaches(std::size_t i, double west, double south, double east, double north) const {
        const OGREnvelope& e = envelopes[i];
        return !(e.MaxX < west || e.MinX > east || e.MaxY < south || e.MinY > north);
    }
};

void add_valid_polygons(const OGRGeometry& geometry, PolygonParts& out) {
    auto type = wkbFlatten(geometry.getGeometryType());
    if (type == wkbMultiPolygon || type == wkbGeometryCollection) {
        // A repaired multipolygon comes back as a collection that may hold multipolygons and lines.
        for (const OGRGeometry* part : *geometry.toGeometryCollection()) add_valid_polygons(*part, out);
    } else if (type == wkbPolygon && !geometry.IsEmpty()) {
        out.add(std::unique_ptr<OGRGeometry>(geometry.clone()));
    }
}

void add_polygons(std::unique_ptr<OGRGeometry> geometry, PolygonParts& out) {
    if (OGRGeometryFactory::haveGEOS() && !geometry->IsValid()) {
        std::unique_ptr<OGRGeometry> repaired(geometry->MakeValid());
        if (repaired) geometry = std::move(repaired);
    }
    add_valid_polygons(*geometry, out);
}

// ISO 3166 numeric code of the United States, the "id" of its feature in a world countries layer.
const char* const k_united_states_country_id = "840";

// Lakes smaller than this (in square degrees, some 50 square kilometres in the north) are left in
// the land: at the zooms the world's land is drawn for they are specks, and each costs a cut.
constexpr double k_least_lake_area = 0.005;

// Makes a ring that crosses the date line continuous: its points beyond the line run on past 180
// degrees (or -180) instead of jumping round the globe, which a polygon reads as a band round the
// whole world. A ring that goes round a pole (its jumps do not cancel) is left as it is.
bool unwrap_ring(OGRLinearRing& ring) {
    const int count = ring.getNumPoints();
    if (count < 2) return false;
    std::vector<OGRRawPoint> points(static_cast<std::size_t>(count));
    ring.getPoints(points.data());
    double offset = 0;
    bool jumped = false;
    for (std::size_t i = 1; i < points.size(); ++i) {
        points[i].x += offset;
        const double step = points[i].x - points[i - 1].x;
        if (step > 180.0 || step < -180.0) {
            const double turn = step > 0 ? -360.0 : 360.0;
            offset += turn;
            points[i].x += turn;
            jumped = true;
        }
    }
    if (!jumped || offset != 0.0) return false;
    ring.setPoints(count, points.data());
    return true;
}

void shift_polygon(OGRPolygon& polygon, double degrees) {
    for (OGRLinearRing* ring : polygon)
        for (int i = 0; i < ring->getNumPoints(); ++i) ring->setPoint(i, ring->getX(i) + degrees, ring->getY(i));
}

// The polygons of a shape with every date-line crossing unwrapped. A polygon reaching past 180 (or
// -180) degrees is given again a turn of the globe away, so that the cells on both sides of the
// line find their part of it.
std::vector<std::unique_ptr<OGRGeometry>> unwrapped_polygons(const OGRGeometry& geometry) {
    std::vector<std::unique_ptr<OGRGeometry>> out;
    const auto type = wkbFlatten(geometry.getGeometryType());
    if (type == wkbMultiPolygon || type == wkbGeometryCollection) {
        for (const OGRGeometry* part : *geometry.toGeometryCollection())
            for (auto& polygon : unwrapped_polygons(*part)) out.push_back(std::move(polygon));
        return out;
    }
    if (type != wkbPolygon || geometry.IsEmpty()) return out;
    std::unique_ptr<OGRPolygon> polygon(geometry.toPolygon()->clone());
    bool unwrapped = false;
    for (OGRLinearRing* ring : *polygon) unwrapped = unwrap_ring(*ring) || unwrapped;
    if (unwrapped) {
        // A hole left on the other side of the line from its outer ring goes round to meet it.
        OGREnvelope outer;
        polygon->getExteriorRing()->getEnvelope(&outer);
        for (int h = 0; h < polygon->getNumInteriorRings(); ++h) {
            OGRLinearRing* hole = polygon->getInteriorRing(h);
            OGREnvelope box;
            hole->getEnvelope(&box);
            const double turn = box.MaxX < outer.MinX ? 360.0 : box.MinX > outer.MaxX ? -360.0 : 0.0;
            if (turn != 0.0)
                for (int i = 0; i < hole->getNumPoints(); ++i) hole->setPoint(i, hole->getX(i) + turn, hole->getY(i));
        }
    }
    OGREnvelope box;
    polygon->getEnvelope(&box);
    if (box.MaxX > 180.0 || box.MinX < -180.0) {
        std::unique_ptr<OGRPolygon> twin(polygon->clone());
        shift_polygon(*twin, box.MaxX > 180.0 ? -360.0 : 360.0);
        out.push_back(std::move(twin));
    }
    out.push_back(std::move(polygon));
    return out;
}

PolygonParts layer_polygons(OGRLayer& layer, const std::string& skip_id = {}, double least_area = 0) {
    PolygonParts out;
    ToLonLat to_lon_lat(layer);
    layer.ResetReading();
    for (auto& feature : layer) {
        if (!skip_id.empty() && field_text(*feature, "id") == skip_id) continue;
        OGRGeometry* geometry = feature->GetGeometryRef();
        if (geometry == nullptr || geometry->IsEmpty() || !to_lon_lat.apply(*geometry)) continue;
        for (auto& polygon : unwrapped_polygons(*geometry)) {
            if (least_area > 0 && polygon->toPolygon()->get_Area() < least_area) continue;
            add_polygons(std::move(polygon), out);
        }
    }
    return out;
}

// The pieces of a cell that cut it (land or lakes) joined into one shape: pieces of neighbouring
// countries share their borders, and joined they leave no seam along them. Null when none reaches
// the cell.
std::unique_ptr<OGRGeometry> cell_union(const PolygonParts& parts, const OGRGeometry& cell, double west, double south,
                                        double east, double north) {
    OGRMultiPolygon pieces;
    for (std::size_t i = 0; i < parts.parts.size(); ++i) {
        if (!parts.reaches(i, west, south, east, north)) continue;
        std::unique_ptr<OGRGeometry> piece(cell.Intersection(parts.parts[i].get()));
        if (piece == nullptr || piece->IsEmpty()) continue;
        PolygonParts polygons;
        add_polygons(std::move(piece), polygons);
        for (auto& polygon : polygons.parts) pieces.addGeometryDirectly(polygon.release());
    }
    if (pieces.IsEmpty()) return nullptr;
    if (pieces.getNumGeometries() == 1) return std::unique_ptr<OGRGeometry>(pieces.getGeometryRef(0)->clone());
    std::unique_ptr<OGRGeometry> joined(pieces.UnionCascaded());
    if (joined == nullptr) return std::unique_ptr<OGRGeometry>(pieces.clone());  // overlaps, but nothing lost
    return joined;
}

// An area read back into a polygon (or several), so that the water can be cut around it.
std::unique_ptr<OGRGeometry> area_geometry(const engine::AreaFeature& area) {
    std::vector<OGRGeometry*> rings;
    for (const auto& ring : area.rings) {
        auto linear = std::make_unique<OGRLinearRing>();
        for (const auto& point : ring) linear->addPoint(point.lon, point.lat);
        auto polygon = std::make_unique<OGRPolygon>();
        polygon->addRingDirectly(linear.release());
        rings.push_back(polygon.release());
    }
    if (rings.empty()) return nullptr;
    int valid = 0;
    // Takes the ring polygons over and sorts holes into the outer rings that contain them.
    return std::unique_ptr<OGRGeometry>(
        OGRGeometryFactory::organizePolygons(rings.data(), static_cast<int>(rings.size()), &valid, nullptr));
}

// Water is what lies outside the nation's land and the world's: each cell of a 10-degree grid
// minus the parts of the nation that reach into it and minus the land outside the nation already
// gathered (which is cut along the same grid).
std::size_t add_water(OGRLayer& layer, ImportData& out, Progress& progress) {
    PolygonParts nation = layer_polygons(layer);
    if (nation.parts.empty()) return 0;
    PolygonParts land;
    for (const auto& area : out.features.areas)
        if (area.kind == engine::AreaKind::land)
            if (auto geometry = area_geometry(area)) add_polygons(std::move(geometry), land);
    std::vector<const PolygonParts*> cutters = {&nation, &land};

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
                for (const PolygonParts* cutter : cutters) {
                    for (std::size_t i = 0; i < cutter->parts.size() && !water->IsEmpty(); ++i) {
                        if (!cutter->reaches(i, west, south, east, north)) continue;
                        std::unique_ptr<OGRGeometry> rest(water->Difference(cutter->parts[i].get()));
                        if (rest == nullptr) continue;  // leave the cell as it was rather than lose it
                        water = std::move(rest);
                    }
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

void read_world_land(const std::string& path, const std::vector<std::string>& lake_paths, ImportData& out,
                     Progress& progress) {
    VectorSource source(path);
    // A countries layer gives the land of every country but the United States. Its outlines run
    // across the Great Lakes, which the lakes cut out again; the United States' own outline would
    // fill its lakes in, and the nation's outline leaves them open already.
    OGRLayer* layer = source.layer("countries");
    const std::string skip_id = layer != nullptr ? k_united_states_country_id : std::string();
    if (layer == nullptr) layer = source.layer("land");
    if (layer == nullptr) layer = source.first_layer();
    progress.begin("reading the world's land from " + path);
    PolygonParts land = layer_polygons(*layer, skip_id);
    if (land.parts.empty()) throw ImportError("\"" + path + "\" holds no land polygons");
    if (!OGRGeometryFactory::haveGEOS())
        throw ImportError("the world's land needs GDAL with its geometry engine (GEOS) to be cut into cells");
    PolygonParts lakes;
    for (const auto& lake_path : lake_paths) {
        VectorSource lake_source(lake_path);
        PolygonParts read = layer_polygons(*lake_source.first_layer(), {}, k_least_lake_area);
        if (read.parts.empty()) throw ImportError("\"" + lake_path + "\" holds no lakes");
        for (auto& part : read.parts) lakes.add(std::move(part));
    }

    // Cut along the water grid: a view loads only the coasts it shows, and the water cells can take
    // the land out exactly along the cell edges.
    const int columns = static_cast<int>(std::lround(360.0 / k_water_cell_degrees));
    const int rows = static_cast<int>(std::lround(180.0 / k_water_cell_degrees));
    std::size_t added = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            progress.update(static_cast<std::uint64_t>(row * columns + column), static_cast<std::uint64_t>(rows * columns));
            const double west = -180.0 + column * k_water_cell_degrees;
            const double south = -90.0 + row * k_water_cell_degrees;
            const double east = west + k_water_cell_degrees;
            const double north = south + k_water_cell_degrees;
            const auto cell = box_polygon(west, south, east, north);
            std::unique_ptr<OGRGeometry> piece = cell_union(land, *cell, west, south, east, north);
            if (piece == nullptr) continue;
            if (auto water = cell_union(lakes, *cell, west, south, east, north)) {
                std::unique_ptr<OGRGeometry> rest(piece->Difference(water.get()));
                if (rest != nullptr) piece = std::move(rest);  // else keep the land with its lakes in
            }
            PolygonParts polygons;
            add_polygons(std::move(piece), polygons);
            // One feature per polygon, so that each keeps its own holes.
            for (const auto& polygon : polygons.parts) {
                engine::AreaFeature area;
                area.kind = engine::AreaKind::land;
                area.rings = polygon_rings(polygon.get()).rings;
                if (area.rings.empty()) continue;
                out.features.areas.push_back(std::move(area));
                ++added;
            }
        }
    }
    progress.end(std::to_string(added) + " land pieces" +
                 (lake_paths.empty() ? std::string() : ", " + std::to_string(lakes.parts.size()) + " lakes cut out"));
}

void read_tiger_areas(const std::string& path, engine::AreaKind kind, ImportData& out, Progress& progress) {
    VectorSource source(path);
    OGRLayer* layer = source.first_layer();
    progress.begin("reading areas from " + path);
    progress.end(std::to_string(read_area_layer(*layer, kind, path, out, progress)) + " areas");
}

}  // namespace tolm::importer
