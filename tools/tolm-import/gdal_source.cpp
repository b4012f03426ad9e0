#include "tools/tolm-import/gdal_source.h"

#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/importer.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <mutex>

namespace tolm::importer {

namespace {

void append_polygon(const OGRPolygon& polygon, std::vector<engine::Ring>& out) {
    bool outer = true;
    for (const OGRLinearRing* ring : polygon) {
        engine::Ring points;
        points.reserve(static_cast<std::size_t>(ring->getNumPoints()));
        for (const OGRPoint& p : *ring) points.push_back({p.getX(), p.getY()});
        engine::Ring cleaned = clean_ring(points);
        if (cleaned.empty()) {
            // An outer ring that collapsed takes its holes with it.
            if (outer) return;
            continue;
        }
        orient_ring(cleaned, outer);
        out.push_back(std::move(cleaned));
        outer = false;
    }
}

void collect_rings(const OGRGeometry& geometry, std::vector<engine::Ring>& out) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPolygon:
        append_polygon(*geometry.toPolygon(), out);
        break;
    case wkbMultiPolygon:
        for (const OGRPolygon* part : *geometry.toMultiPolygon()) append_polygon(*part, out);
        break;
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *geometry.toGeometryCollection()) collect_rings(*part, out);
        break;
    default:
        break;
    }
}

void collect_lines(const OGRGeometry& geometry, std::vector<engine::Polyline>& out) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbLineString: {
        engine::Polyline points;
        for (const OGRPoint& p : *geometry.toLineString()) points.push_back({p.getX(), p.getY()});
        engine::Polyline cleaned = clean_polyline(points);
        if (!cleaned.empty()) out.push_back(std::move(cleaned));
        break;
    }
    case wkbMultiLineString:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *geometry.toGeometryCollection()) collect_lines(*part, out);
        break;
    default:
        break;
    }
}

}  // namespace

bool reads_vector_files() noexcept { return true; }

void prepare_gdal() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        CPLSetConfigOption("OSM_USE_CUSTOM_INDEXING", "NO");
        // The importer reports what went wrong itself, naming the file.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

VectorSource::VectorSource(const std::string& path) : m_path(path) {
    prepare_gdal();
    CPLErrorReset();
    m_dataset = GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY);
    if (m_dataset == nullptr) {
        std::string reason = CPLGetLastErrorMsg();
        throw ImportError("cannot read \"" + path + "\" as map data" + (reason.empty() ? "" : ": " + reason));
    }
}

VectorSource::~VectorSource() { GDALClose(m_dataset); }

OGRLayer* VectorSource::layer(const std::string& name) {
    for (OGRLayer* candidate : m_dataset->GetLayers())
        if (EQUAL(candidate->GetName(), name.c_str())) return candidate;
    return nullptr;
}

OGRLayer* VectorSource::first_layer() {
    if (m_dataset->GetLayerCount() == 0) throw ImportError("\"" + m_path + "\" holds no layer of map data");
    return m_dataset->GetLayer(0);
}

ToLonLat::ToLonLat(OGRLayer& layer) {
    const OGRSpatialReference* source = layer.GetSpatialRef();
    if (source == nullptr || source->IsGeographic()) return;
    OGRSpatialReference target;
    target.SetWellKnownGeogCS("WGS84");
    target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference from(*source);
    from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    m_transform = OGRCreateCoordinateTransformation(&from, &target);
    if (m_transform == nullptr)
        throw ImportError(std::string("layer \"") + layer.GetName() + "\" has a projection that cannot be turned into degrees");
}

ToLonLat::~ToLonLat() { OGRCoordinateTransformation::DestroyCT(m_transform); }

bool ToLonLat::apply(OGRGeometry& geometry) const {
    if (m_transform == nullptr) return true;
    return geometry.transform(m_transform) == OGRERR_NONE;
}

PolygonResult polygon_rings(const OGRGeometry* geometry) {
    PolygonResult result;
    if (geometry == nullptr || geometry->IsEmpty()) return result;
    if (OGRGeometryFactory::haveGEOS() && !geometry->IsValid()) {
        std::unique_ptr<OGRGeometry> valid(geometry->MakeValid());
        if (valid != nullptr && !valid->IsEmpty()) {
            collect_rings(*valid, result.rings);
            if (!result.rings.empty()) {
                result.repaired = true;
                return result;
            }
        }
    }
    collect_rings(*geometry, result.rings);
    return result;
}

std::vector<engine::Polyline> polylines(const OGRGeometry* geometry) {
    std::vector<engine::Polyline> out;
    if (geometry != nullptr) collect_lines(*geometry, out);
    return out;
}

std::string field_text(const OGRFeature& feature, const char* name) {
    int index = feature.GetFieldIndex(name);
    if (index < 0 || !feature.IsFieldSetAndNotNull(index)) return {};
    return feature.GetFieldAsString(index);
}

}  // namespace tolm::importer
