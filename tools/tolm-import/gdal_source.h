#pragma once

#include "engine/feature_set.h"

#include <memory>
#include <string>
#include <vector>

class GDALDataset;
class OGRGeometry;
class OGRLayer;
class OGRFeature;
class OGRCoordinateTransformation;

namespace tolm::importer {

// GDAL set up once for the whole import: all drivers, and the OSM driver told to index nodes in
// its database rather than in its own index, which silently loses ways when node ids are not
// increasing (unsorted extracts) or negative (edited files).
void prepare_gdal();

// An open vector source. Raises ImportError naming the file when GDAL cannot open it.
class VectorSource {
public:
    explicit VectorSource(const std::string& path);
    ~VectorSource();
    VectorSource(const VectorSource&) = delete;
    VectorSource& operator=(const VectorSource&) = delete;

    GDALDataset& dataset() noexcept { return *m_dataset; }
    const std::string& path() const noexcept { return m_path; }
    // The layer of that name (case-insensitive), or nullptr.
    OGRLayer* layer(const std::string& name);
    // The layer to read when a source holds one kind of data (a shapefile): the only or the first.
    OGRLayer* first_layer();

private:
    std::string m_path;
    GDALDataset* m_dataset = nullptr;
};

// Brings a layer's coordinates to longitude and latitude in degrees. Layers already in degrees (the
// Census and OSM files) pass unchanged; projected layers are transformed.
class ToLonLat {
public:
    explicit ToLonLat(OGRLayer& layer);
    ~ToLonLat();
    ToLonLat(const ToLonLat&) = delete;
    ToLonLat& operator=(const ToLonLat&) = delete;

    // False when the geometry could not be transformed (points outside the projection's domain).
    bool apply(OGRGeometry& geometry) const;

private:
    OGRCoordinateTransformation* m_transform = nullptr;
};

struct PolygonResult {
    std::vector<engine::Ring> rings;  // outer rings counter-clockwise, holes clockwise
    bool repaired = false;            // the geometry was invalid (self-intersecting) and was made valid
};

// The rings of a polygon, multipolygon or collection; other geometry kinds give no rings.
// Self-intersecting polygons are made valid first when GDAL has the geometry engine for it; when
// that fails the rings are kept as they are, which a fill still draws sensibly.
PolygonResult polygon_rings(const OGRGeometry* geometry);

// The lines of a line string or multi-line string (other kinds give none).
std::vector<engine::Polyline> polylines(const OGRGeometry* geometry);

// A field's text, empty when the field is missing or null.
std::string field_text(const OGRFeature& feature, const char* name);

}  // namespace tolm::importer
