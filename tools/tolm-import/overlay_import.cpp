#include "tools/tolm-import/overlay_import.h"

#include "engine/overlay.h"
#include "platform/runtime_error.h"
#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/gdal_source.h"
#include "tools/tolm-import/import_error.h"

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <nlohmann/json.hpp>

#include <memory>

namespace tolm::importer {

namespace {

bool is_line(OGRwkbGeometryType type) {
    type = wkbFlatten(type);
    return type == wkbLineString || type == wkbMultiLineString;
}

std::string name_of(OGRFeature& feature) {
    const int index = feature.GetFieldIndex("name");  // GDAL matches field names without regard to case
    if (index < 0 || !feature.IsFieldSetAndNotNull(index)) return {};
    return feature.GetFieldAsString(index);
}

}  // namespace

OverlayImport overlay_from_vector_file(const std::string& input) {
    prepare_gdal();
    VectorSource source(input);
    nlohmann::json features = nlohmann::json::array();
    OverlayImport result;
    for (OGRLayer* layer : source.dataset().GetLayers()) {
        const std::string layer_name = layer->GetName();
        if (layer_name == "track_points" || layer_name == "route_points") continue;
        const ToLonLat to_lon_lat(*layer);
        layer->ResetReading();
        for (std::unique_ptr<OGRFeature> feature(layer->GetNextFeature()); feature; feature.reset(layer->GetNextFeature())) {
            const OGRGeometry* original = feature->GetGeometryRef();
            if (original == nullptr || original->IsEmpty()) {
                ++result.skipped;
                continue;
            }
            std::unique_ptr<OGRGeometry> geometry(original->clone());
            geometry->flattenTo2D();
            if (!to_lon_lat.apply(*geometry)) {
                ++result.skipped;
                continue;
            }
            char* json = geometry->exportToJson();
            if (json == nullptr) {
                ++result.skipped;
                continue;
            }
            nlohmann::json shape = nlohmann::json::parse(json, nullptr, false);
            CPLFree(json);
            if (shape.is_discarded()) {
                ++result.skipped;
                continue;
            }
            nlohmann::json properties = nlohmann::json::object();
            if (const std::string name = name_of(*feature); !name.empty()) properties["title"] = name;
            if (is_line(geometry->getGeometryType())) {
                // Tracks and routes stand out from the map's roads.
                properties["stroke"] = "#d00000";
                properties["stroke-width"] = 3;
            }
            features.push_back({{"type", "Feature"}, {"properties", properties}, {"geometry", shape}});
            ++result.features;
        }
    }
    if (result.features == 0) throw ImportError(input + " holds nothing that can be drawn as an overlay");
    result.geojson = nlohmann::json{{"type", "FeatureCollection"}, {"features", features}}.dump(1);
    return result;
}

OverlayImport import_overlay(const std::string& input, const std::string& output) {
    OverlayImport result = overlay_from_vector_file(input);
    try {
        (void)engine::Overlay::parse(result.geojson, output);
    } catch (const RuntimeError& e) {
        throw ImportError(std::string("the overlay made from ") + input + " would not load: " + e.what());
    }
    write_file_atomically(output, result.geojson);
    return result;
}

}  // namespace tolm::importer
