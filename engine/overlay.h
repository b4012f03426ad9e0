#pragma once

#include "engine/geo.h"
#include "engine/map_view.h"
#include "platform/painter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolm::engine {

namespace detail {
struct GeoJsonResult;
}

// An overlay file (*.OVR): the user's own points, lines and areas drawn over the map. Two forms are
// read (docs/overlays.md has examples of both):
//
// GeoJSON (RFC 7946), recognised by its first character "{" (or "[", which is then refused): a FeatureCollection, a Feature or a bare
// geometry; Point, MultiPoint, LineString, MultiLineString, Polygon (with holes), MultiPolygon and
// GeometryCollection; feature properties in the simplestyle convention (stroke, stroke-width,
// stroke-opacity, fill, fill-opacity, marker-color, marker-size, title as the label).
//
// The older plain text form, one item a line, "." as decimal point whatever the locale:
//
//   ; a comment
//   COLOR=&H0000FF          colour of the items that follow (&HBBGGRR or a decimal number)
//   WIDTH=2                 line width in pixels of the items that follow
//   POINT=-122.68,45.52,Home
//   LINE=-122.70,45.50 -122.65,45.53 -122.60,45.52
//   AREA=-122.70,45.50 -122.65,45.53 -122.60,45.50
//
// Unknown lines are ignored, so that files from newer versions still load.
//
// A file larger than k_max_overlay_bytes, invalid JSON, a member of the wrong type and a position
// outside -180..180, -90..90 are refused with a RuntimeError that names the file and the fault.
class Overlay {
public:
    static constexpr std::size_t k_max_overlay_bytes = 64u * 1024 * 1024;
    // What the server keeps of one overlay: a small file may still describe more than the client's
    // 32-bit process can hold (a million positions take about 60 MB with their items).
    static constexpr std::size_t k_max_overlay_positions = 1'000'000;

    // Asks whether a label's box (pixels: left, top, right, bottom) is free, and takes it when it is.
    using LabelSpace = std::function<bool(double left, double top, double right, double bottom)>;

    // A GeoJSON file is parsed as it is read, and its items built as they end: reading takes about
    // the memory of the items, never the whole file's text or a document tree beside them.
    static Overlay read(const std::string& path);
    // The contents of a file; `name` names it in errors. Fuzz targets call this.
    static Overlay parse(std::string_view bytes, const std::string& name);
    static Overlay parse(const std::string& text) { return parse(text, "overlay"); }

    bool empty() const noexcept { return m_items.empty(); }
    std::size_t vertex_count() const noexcept;
    // The extent of everything in the overlay; nothing when it is empty.
    std::optional<Extent> extent() const;
    // Draws the items over the map; labels go only where `labels` gives them room (everywhere in
    // the picture when it is empty).
    void paint(platform::Painter& painter, const MapView& view, bool monochrome, const LabelSpace& labels = {}) const;

    enum class Kind { point, line, area };
    struct Look {
        std::uint32_t stroke_rgb = 0x555555;  // 0xRRGGBB
        double stroke_width = 2;
        double stroke_opacity = 1;
        std::uint32_t fill_rgb = 0x555555;
        double fill_opacity = 0.6;
        std::uint32_t marker_rgb = 0x7E7E7E;
        double marker_radius = 6;
    };
    struct Item {
        Kind kind = Kind::point;
        Look look;
        std::string label;
        // Parts (lines of a multi-line, rings of a polygon, every point of a multi-point) laid end to
        // end; starts[i] is where part i begins.
        std::vector<LonLat> points;
        std::vector<std::uint32_t> starts;
        Extent box;
    };
    const std::vector<Item>& items() const noexcept { return m_items; }

private:
    static Overlay parse_key_values(std::string_view text);
    static Overlay parse_geojson(std::string_view text, const std::string& name);
    static Overlay from_geojson(detail::GeoJsonResult result, const std::string& name);
    void add(Item item);

    std::vector<Item> m_items;
    std::size_t m_position_count = 0;
};

}  // namespace tolm::engine
