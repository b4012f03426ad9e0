#pragma once

#include <cstddef>
#include <string>

// Turns any vector file GDAL reads (GPX tracks, routes and waypoints, KML, shapefiles, GeoJSON ...)
// into a GeoJSON overlay file the map server draws (docs/overlays.md).
namespace tolm::importer {

struct OverlayImport {
    std::string geojson;         // the overlay file's text
    std::size_t features = 0;    // features written
    std::size_t skipped = 0;     // features without a usable geometry
};

// Every feature of every layer, in degrees, with its name (a field "name", any case) as the title.
// GPX track and route points are left out: their tracks and routes carry them. Raises ImportError
// naming the file when GDAL cannot read it or nothing in it can be drawn.
OverlayImport overlay_from_vector_file(const std::string& input);

// overlay_from_vector_file written to `output`, replacing it only once the whole file is written;
// the text is read back with the server's own overlay reader first, so what is written loads.
OverlayImport import_overlay(const std::string& input, const std::string& output);

}  // namespace tolm::importer
