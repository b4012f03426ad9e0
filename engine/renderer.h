#pragma once

#include "engine/clip.h"
#include "engine/found_mark.h"
#include "engine/map_style.h"
#include "engine/map_view.h"
#include "engine/pack/pack_reader.h"
#include "platform/painter.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tolm::engine {

// Something drawn beneath or above the map: the underlay image and the overlay.
using LayerHook = std::function<void(platform::Painter&, const MapView&)>;

// Paints the map of a view from a set of packs. Layers, bottom up: land and sea, the underlay,
// the shadings of states, counties, minor civil divisions and places, water, boundary lines (state
// lines over county lines), roads by class with casings, one-way arrows, a found region's outline,
// labels, the map aids, the overlay, a found item's pin or dot.
//
// A Renderer keeps its working buffers between paints, so repeated paints of the same size of map
// allocate nothing in proportion to the data.
class Renderer {
public:
    struct Layers {
        const LayerHook* underlay = nullptr;
        const LayerHook* overlay = nullptr;
        const MarkOnMap* mark = nullptr;  // what a search found, or nothing
    };

    void paint(platform::Painter& painter, const MapView& view, std::span<const PackView* const> packs, const MapStyle& style,
               bool monochrome, const Layers& layers);
    void paint(platform::Painter& painter, const MapView& view, std::span<const PackView* const> packs, const MapStyle& style,
               bool monochrome) {
        paint(painter, view, packs, style, monochrome, Layers{nullptr, nullptr});
    }

    // While a layer hook runs: takes a label's box (pixels) when no label of the map overlaps it.
    bool claim_label_box(double left, double top, double right, double bottom) {
        return place_label({left, top, right, bottom});
    }

private:
    struct Transform {
        double sx, ox, sy, oy;
        double x(std::int32_t units) const noexcept { return units * sx + ox; }
        double y(std::int32_t units) const noexcept { return units * sy + oy; }
    };
    struct LabelBox {
        double left, top, right, bottom;
    };
    struct PlacedName {
        std::string_view name;
        double x, y;
    };

    // A road rank's path, worked out for its first pass and painted again for the others.
    struct KeptPath {
        std::vector<platform::PathPoint> points;
        std::vector<std::uint32_t> starts;  // where each subpath begins in `points`
        bool made = false;                  // in this paint
    };
    // add_ring's lines go to the painter, or while m_keeping is set into that path.
    void begin_subpath(double x, double y);
    void continue_subpath(std::span<const platform::PathPoint> points);
    void paint_kept(const KeptPath& path);
    void add_ring(const GeometryTable& table, std::uint32_t feature, std::uint32_t ring, bool closed);
    void add_feature(const GeometryTable& table, std::uint32_t feature, bool closed);
    // A ring less the edges `left_out` names by their first point: in pieces (for a fill, pieces it
    // leaves open), or whole and closed when it loses none.
    template <typename LeftOut>
    void add_ring_pieces(const GeometryTable& table, std::uint32_t feature, std::uint32_t ring, LeftOut left_out);
    // A ring of an area in `shade`, its edges marked with what lies beyond them (Painter::begin_shaded);
    // `shade_of` gives the shade of each unclipped area in view, by feature.
    // With `border`, the ring's part of the layer's border line goes there too (stroke_borders).
    void add_shaded_ring(const GeometryTable& table, const SharedEdges& shared, std::span<const std::uint8_t> shade_of, std::uint32_t feature,
                         std::uint32_t ring, std::uint8_t shade, KeptPath* border);
    bool drawn_unclipped(const pack::UnitBox& box) const noexcept;
    void add_dashed_feature(const GeometryTable& table, std::uint32_t feature, double on, double off);
    void query(const PackView& pack, pack::GeometryLayer layer);
    // `border_follows`: the layer's border line is stroked later in the paint, and is worked out
    // here on the same walk round the rings.
    void fill_areas(std::span<const PackView* const> packs, pack::GeometryLayer layer, bool by_code, double alpha,
                    std::span<const std::uint32_t> palette, bool monochrome, std::int32_t plain_colour, bool border_follows = false);
    void stroke_outlines(std::span<const PackView* const> packs, pack::GeometryLayer layer, const platform::StrokeStyle& style);
    // The outlines of areas that tile the map (counties, states), each shared border drawn once.
    void stroke_borders(std::span<const PackView* const> packs, pack::GeometryLayer layer, platform::StrokeStyle style);
    void paint_roads(std::span<const PackView* const> packs, const MapStyle& style, bool monochrome);
    void paint_arrows(const MapStyle& style, bool monochrome);
    void paint_found_outline(std::span<const PackView* const> packs, const MarkOnMap& mark, bool monochrome);
    void paint_labels(std::span<const PackView* const> packs, const MapStyle& style, bool monochrome);
    void paint_area_names(std::span<const PackView* const> packs, const platform::TextStyle& base, double scale, bool monochrome);
    bool place_label(const LabelBox& box);
    platform::TextExtent measure(std::string_view text, const platform::TextStyle& style);
    std::string_view short_name(std::string_view name);
    void project_line(const PointRun& run);

    platform::Painter* m_painter = nullptr;
    Transform m_transform{};
    double m_zoom = 0;
    std::uint32_t m_band = 0;
    std::int32_t m_width = 0, m_height = 0;
    pack::UnitBox m_query_box{};
    detail::PixelBox m_safe_box{}, m_clip_box{};

    std::vector<std::uint32_t> m_hits;
    std::vector<std::uint8_t> m_in_stroke;  // by feature: drawn in the stroke being built
    struct ColouredArea {
        std::uint32_t colour, pack, feature;
    };
    std::vector<ColouredArea> m_coloured;  // the areas in view with their shading colours
    static constexpr std::uint8_t k_no_colour = 255;
    // By pack and feature: the shading colour of an unclipped area in view, else k_no_colour.
    std::vector<std::vector<std::uint8_t>> m_colour_of;
    std::vector<platform::Colour> m_shade_colours;
    std::array<KeptPath, pack::k_geometry_layer_count> m_border_paths;  // by layer: a border line worked out by its fill
    std::vector<std::uint8_t> m_beyond;  // by point of m_path: what lies beyond the edge to it
    std::array<std::vector<std::pair<const PackView*, std::uint32_t>>, 5> m_roads_by_class;
    // By level (ground, bridge, tunnel) and rank: engine/road_style.h.
    std::array<std::vector<std::pair<const PackView*, std::uint32_t>>, 27> m_roads_by_rank;
    std::array<KeptPath, std::tuple_size_v<decltype(m_roads_by_rank)>> m_rank_paths;  // by the same index
    KeptPath* m_keeping = nullptr;
    std::vector<std::pair<const PackView*, std::uint32_t>> m_oneway;
    std::vector<std::string_view> m_two_way_names;
    std::vector<std::array<double, 4>> m_arrows;  // x, y and the direction of travel
    std::vector<detail::PixelPoint> m_points, m_clipped, m_scratch;
    std::vector<platform::PathPoint> m_path;  // a ring's points after its first, for the painter
    std::vector<std::size_t> m_starts;
    std::vector<LabelBox> m_labels;
    // What of the found item's pin or dot labels keep clear of; empty when there is none in view.
    std::vector<LabelBox> m_mark_boxes;
    std::vector<PlacedName> m_names;
    // Street names as labelled, by the address of the pack's name: the long form and the short.
    std::unordered_map<const char*, std::pair<std::string, std::string>> m_short_names;

    // A straight stretch of a road for its name, in pixels.
    struct Stretch {
        std::string_view name;
        detail::PixelPoint a, b;
        double length;
        std::uint8_t road_class;
        bool alive;  // false once joined onto another
        bool route_number;  // the road's route numbers, drawn as shields
    };
    void place_shields(const Stretch& stretch, double scale, bool monochrome);
    static bool join_stretches(Stretch& stretch, const Stretch& other);
    std::vector<Stretch> m_stretches;

    // Texts measured, by their letters.
    struct MeasuredText {
        static constexpr std::size_t k_capacity = 48;
        std::array<char, k_capacity> text{};
        std::size_t size = 0;
        double text_size = 0;
        bool bold = false;
        platform::TextExtent extent{};
    };
    std::array<MeasuredText, 256> m_measured{};
    const platform::Painter* m_painter_seen = nullptr;
};

}  // namespace tolm::engine
