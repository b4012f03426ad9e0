#include "engine/renderer.h"

#include "engine/map_aids.h"
#include "engine/road_style.h"
#include "engine/route_shield.h"
#include "engine/street_label.h"
#include "engine/us_states.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tolm::engine {

namespace {

using platform::Colour;
using platform::StrokeStyle;
using pack::GeometryLayer;

constexpr Colour k_white{0xFFFFFFFFu};
constexpr Colour k_black{0xFF000000u};

// Soft fills, picked by the area's code so that a state keeps its colour from paint to paint.
// None of them is blue, cyan or grey, alone or laid over each other, so that no shading can be
// taken for the water (colour item 2) in any combination of the shading flags.
constexpr std::uint32_t k_state_palette[] = {0xF6E3B4, 0xD9EDC2, 0xF4CFD6, 0xF0D9C8, 0xEDE0B0, 0xFBE9C9, 0xDCEBB8, 0xF2D4E6};
constexpr std::uint32_t k_county_palette[] = {0xE9C46A, 0x8AB17D, 0xE76F51, 0xC9A46B, 0xB392AC, 0xF4A261};
constexpr std::uint32_t k_place_palette[] = {0xE8A0A0};
constexpr std::uint32_t k_mcd_palette[] = {0x9CC8A0, 0xD8B58A};
static_assert(std::size(k_state_palette) <= platform::k_most_shades && std::size(k_county_palette) <= platform::k_most_shades,
              "a layer's shading is one fill");

// Where the land beyond the nation gets its country's name: a few points inside each neighbour, the
// first in view taken, so that a state view near a border names the country across it.
struct CountryLabel {
    std::string_view name;
    double lon, lat;
};
constexpr CountryLabel k_country_labels[] = {
    {"CANADA", -100.0, 56.0}, {"CANADA", -82.0, 50.5}, {"CANADA", -116.0, 51.5}, {"CANADA", -67.5, 47.2},
    {"CANADA", -72.5, 46.2},  {"CANADA", -123.5, 49.6}, {"CANADA", -97.5, 50.0},  {"CANADA", -80.6, 43.6},
    {"MEXICO", -102.0, 24.0}, {"MEXICO", -110.5, 30.0}, {"MEXICO", -99.0, 19.5},  {"MEXICO", -100.5, 28.0},
    {"MEXICO", -115.5, 31.5}, {"CUBA", -79.0, 21.9},    {"BAHAMAS", -77.6, 24.6},
};

Colour fill_colour(std::int32_t bgr, bool monochrome, double alpha = 1.0) {
    if (monochrome) return k_white;
    return Colour::from_bgr(static_cast<std::uint32_t>(bgr), static_cast<std::uint8_t>(std::lround(alpha * 255)));
}
Colour line_colour(std::int32_t bgr, bool monochrome) {
    return monochrome ? k_black : Colour::from_bgr(static_cast<std::uint32_t>(bgr));
}
Colour rgb(std::uint32_t value, double alpha) {
    return {(std::uint32_t(std::lround(alpha * 255)) << 24) | value};
}

// Distances in pixels: no fear of overflow, so no need of std::hypot's care (and cost).
double distance(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

std::uint32_t code_hash(std::string_view code) {
    std::uint32_t h = 2166136261u;
    for (char c : code) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

constexpr double k_county_lines_zoom = 4.5;

// Whether a point of a line, at (x, y) in pixels, adds nothing visible to the last one kept: it lies
// within half a pixel of it, and not on the edge of a cell the packs cut areas along, where the
// pieces of one area must meet exactly.
bool adds_nothing(double x, double y, double last_x, double last_y, const UnitPoint& q) noexcept {
    return std::abs(x - last_x) < 0.5 && std::abs(y - last_y) < 0.5 && !pack::on_cut_cell_edge(q.x, q.y);
}

// The least population a place needs for a label at a zoom level.
std::int64_t label_population(double zoom) {
    if (zoom < 4.5) return 1000000;
    if (zoom < 5.5) return 300000;
    if (zoom < 6.5) return 100000;
    if (zoom < 7.5) return 40000;
    if (zoom < 8.5) return 15000;
    if (zoom < 9.5) return 5000;
    if (zoom < 10.5) return 1000;
    return 0;
}

}  // namespace

void Renderer::project_line(const PointRun& run) {
    m_points.clear();
    for (std::uint32_t i = 0; i < run.size(); ++i) {
        const UnitPoint p = run[i];
        m_points.push_back({m_transform.x(p.x), m_transform.y(p.y)});
    }
}

void Renderer::begin_subpath(double x, double y) {
    if (m_keeping) {
        m_keeping->starts.push_back(static_cast<std::uint32_t>(m_keeping->points.size()));
        m_keeping->points.push_back({x, y});
    } else {
        m_painter->move_to(x, y);
    }
}

void Renderer::continue_subpath(std::span<const platform::PathPoint> points) {
    if (m_keeping) m_keeping->points.insert(m_keeping->points.end(), points.begin(), points.end());
    else m_painter->lines_to(points);
}

void Renderer::paint_kept(const KeptPath& path) {
    platform::Painter& p = *m_painter;
    for (std::size_t k = 0; k < path.starts.size(); ++k) {
        const std::size_t first = path.starts[k], end = k + 1 < path.starts.size() ? path.starts[k + 1] : path.points.size();
        p.move_to(path.points[first].x, path.points[first].y);
        p.lines_to(std::span(path.points).subspan(first + 1, end - first - 1));
    }
}

void Renderer::add_ring(const GeometryTable& table, std::uint32_t feature, std::uint32_t ring, bool closed) {
    const PointRun run = table.ring(feature, ring);
    const std::uint32_t count = run.size();
    if (count < 2) return;
    // Kept paths hold lines only.
    if (closed && m_keeping) return;
    platform::Painter& p = *m_painter;
    if (drawn_unclipped(table.box(feature))) {
        // Points closer than half a pixel to the last one drawn add nothing visible.
        UnitPoint first = run[0];
        double lx = m_transform.x(first.x), ly = m_transform.y(first.y);
        begin_subpath(lx, ly);
        m_path.clear();
        for (std::uint32_t i = 1; i < count; ++i) {
            const UnitPoint q = run[i];
            const double x = m_transform.x(q.x), y = m_transform.y(q.y);
            if (i + 1 < count && adds_nothing(x, y, lx, ly, q)) continue;
            m_path.push_back({x, y});
            lx = x;
            ly = y;
        }
        continue_subpath(m_path);
        if (closed) p.close_path();
        return;
    }
    project_line(run);
    if (closed) {
        detail::clip_ring(m_points, m_clip_box, m_clipped, m_scratch);
        if (m_clipped.size() < 3) return;
        p.move_to(m_clipped[0].x, m_clipped[0].y);
        for (std::size_t i = 1; i < m_clipped.size(); ++i) p.line_to(m_clipped[i].x, m_clipped[i].y);
        p.close_path();
    } else {
        m_clipped.clear();
        m_starts.clear();
        detail::clip_line(m_points, m_clip_box, m_clipped, m_starts);
        for (std::size_t k = 0; k < m_starts.size(); ++k) {
            const std::size_t end = k + 1 < m_starts.size() ? m_starts[k + 1] : m_clipped.size();
            begin_subpath(m_clipped[m_starts[k]].x, m_clipped[m_starts[k]].y);
            m_path.clear();
            for (std::size_t i = m_starts[k] + 1; i < end; ++i) m_path.push_back({m_clipped[i].x, m_clipped[i].y});
            continue_subpath(m_path);
        }
    }
}

bool Renderer::drawn_unclipped(const pack::UnitBox& box) const noexcept {
    return m_transform.x(box.west) >= m_safe_box.left && m_transform.x(box.east) <= m_safe_box.right &&
           m_transform.y(box.north) >= m_safe_box.top && m_transform.y(box.south) <= m_safe_box.bottom;
}

template <typename LeftOut>
void Renderer::add_ring_pieces(const GeometryTable& table, std::uint32_t feature, std::uint32_t ring, LeftOut left_out) {
    const PointRun run = table.ring(feature, ring);
    const std::uint32_t count = run.size();
    if (count < 2) return;
    // A clipped ring is added whole: the feature on the other side of a border leaves it out only
    // when this one draws it, and clipped rings never leave any out. So is a ring that does not end
    // where it starts.
    const UnitPoint start = run[0], end = run[count - 1];
    if (!drawn_unclipped(table.box(feature)) || start.x != end.x || start.y != end.y) {
        add_ring(table, feature, ring, true);
        return;
    }
    const std::uint32_t first = table.first_point(feature, ring);
    platform::Painter& p = *m_painter;
    bool whole = true;
    for (std::uint32_t from = 0; from + 1 < count;) {
        if (left_out(first + from)) {
            ++from;
            whole = false;
            continue;
        }
        // The piece runs over the edges from `from` that stay, to point `to`.
        std::uint32_t to = from + 1;
        while (to + 1 < count && !left_out(first + to)) ++to;
        const UnitPoint a = run[from];
        double lx = m_transform.x(a.x), ly = m_transform.y(a.y);
        p.move_to(lx, ly);
        m_path.clear();
        // As in add_ring, points within half a pixel of the last one drawn are passed over; the
        // end of every piece stays, where the other feature's piece takes over.
        for (std::uint32_t k = from + 1; k <= to; ++k) {
            const UnitPoint q = run[k];
            const double x = m_transform.x(q.x), y = m_transform.y(q.y);
            if (k < to && adds_nothing(x, y, lx, ly, q)) continue;
            m_path.push_back({x, y});
            lx = x;
            ly = y;
        }
        p.lines_to(m_path);
        from = to;
    }
    if (whole) p.close_path();
}

void Renderer::add_shaded_ring(const GeometryTable& table, const SharedEdges& shared, std::span<const std::uint8_t> shade_of,
                               std::uint32_t feature, std::uint32_t ring, std::uint8_t shade, KeptPath* border) {
    const PointRun run = table.ring(feature, ring);
    const std::uint32_t count = run.size();
    if (count < 2) return;
    platform::Painter& p = *m_painter;
    m_path.clear();
    m_beyond.clear();
    // A clipped ring bounds its own area alone, as does one that does not end where it starts; the
    // areas beyond draw their own side of its borders. Its border line is the whole ring.
    const UnitPoint start = run[0], end = run[count - 1];
    if (shade_of[feature] == k_no_colour || start.x != end.x || start.y != end.y) {
        project_line(run);
        detail::clip_ring(m_points, m_clip_box, m_clipped, m_scratch);
        if (m_clipped.size() < 3) return;
        for (std::size_t i = 1; i < m_clipped.size(); ++i) m_path.push_back({m_clipped[i].x, m_clipped[i].y});
        m_beyond.assign(m_path.size(), platform::k_edge_alone);
        p.begin_shaded(m_clipped[0].x, m_clipped[0].y, shade);
        p.shaded_lines_to(m_path, m_beyond);
        if (border) {
            // As an open line back to its start: round ends meeting there make the joint.
            border->starts.push_back(static_cast<std::uint32_t>(border->points.size()));
            border->points.push_back({m_clipped[0].x, m_clipped[0].y});
            border->points.insert(border->points.end(), m_path.begin(), m_path.end());
            border->points.push_back({m_clipped[0].x, m_clipped[0].y});
        }
        return;
    }
    // Each edge shared with another unclipped area in view is given by the lower-numbered of the
    // two, with the other's shade beyond it; between two areas of one shade it cancels out and
    // neither gives it. The border line takes the same edges as stroke_borders would: all but those
    // a lower-numbered area in view draws.
    const std::uint32_t first = table.first_point(feature, ring);
    struct Edge {
        std::uint8_t beyond;
        bool drawn;
    };
    auto edge_at = [&](std::uint32_t from) -> Edge {
        const std::uint32_t other = shared.other_feature(first + from);
        if (other == SharedEdges::k_none) return {platform::k_edge_alone, border != nullptr};
        const bool drawn = border && !(other < feature && m_in_stroke[other] != 0);
        if (shade_of[other] == k_no_colour) return {platform::k_edge_alone, drawn};
        if (shade_of[other] == shade || other < feature) return {platform::k_edge_left_out, drawn};
        return {shade_of[other], drawn};
    };
    UnitPoint a = run[0];
    double lx = m_transform.x(a.x), ly = m_transform.y(a.y);
    p.begin_shaded(lx, ly, shade);
    Edge edge = edge_at(0);  // beyond: of the edge to the next point kept for the fill; drawn: of the edge from the last point
    double bx = lx, by = ly;  // the border line's last point
    if (border && edge.drawn) {
        border->starts.push_back(static_cast<std::uint32_t>(border->points.size()));
        border->points.push_back({lx, ly});
    }
    for (std::uint32_t k = 1; k < count; ++k) {
        const Edge next = k + 1 < count ? edge_at(k) : Edge{platform::k_edge_alone, false};
        const bool last = k + 1 == count;
        const bool fill_needs = last || next.beyond != edge.beyond || edge.beyond != platform::k_edge_left_out;
        const bool line_needs = border && (edge.drawn || next.drawn);
        // A run of edges left out needs only its ends; within a run of edges alike, points within
        // half a pixel of the last one kept add nothing visible, as in add_ring.
        if (!fill_needs && !line_needs) {
            edge.drawn = next.drawn;
            continue;
        }
        const UnitPoint q = run[k];
        const double x = m_transform.x(q.x), y = m_transform.y(q.y);
        if (fill_needs && !(!last && next.beyond == edge.beyond && adds_nothing(x, y, lx, ly, q))) {
            m_path.push_back({x, y});
            m_beyond.push_back(edge.beyond);
            lx = x;
            ly = y;
            edge.beyond = next.beyond;
        }
        if (line_needs) {
            // The line's pieces run over the edges drawn, each piece's ends kept where the other
            // area's piece takes over.
            if (edge.drawn) {
                const bool piece_ends = last || !next.drawn;
                if (piece_ends || !adds_nothing(x, y, bx, by, q)) {
                    border->points.push_back({x, y});
                    bx = x;
                    by = y;
                }
            } else {
                border->starts.push_back(static_cast<std::uint32_t>(border->points.size()));
                border->points.push_back({x, y});
                bx = x;
                by = y;
            }
        }
        edge.drawn = next.drawn;
    }
    p.shaded_lines_to(m_path, m_beyond);
}

void Renderer::add_feature(const GeometryTable& table, std::uint32_t feature, bool closed) {
    const std::uint32_t rings = table.ring_count(feature);
    for (std::uint32_t r = 0; r < rings; ++r) add_ring(table, feature, r, closed);
}

void Renderer::query(const PackView& pack, GeometryLayer layer) {
    m_hits.clear();
    pack.geometry(layer, m_band).query(m_query_box, m_hits);
}

void Renderer::fill_areas(std::span<const PackView* const> packs, GeometryLayer layer, bool by_code, double alpha,
                          std::span<const std::uint32_t> palette, bool monochrome, std::int32_t plain_colour, bool border_follows) {
    // One shaded fill for the layer, each area's colour worked out once. A border of two unclipped
    // areas in view is walked once for both, and not at all between two of one colour: the pieces
    // of a lake or a sea cut along the packs' cells fill as one.
    const bool shaded = by_code && !monochrome && !palette.empty();
    m_coloured.clear();
    if (m_colour_of.size() < packs.size()) m_colour_of.resize(packs.size());
    for (std::size_t p = 0; p < packs.size(); ++p) {
        query(*packs[p], layer);
        const auto& table = packs[p]->geometry(layer, m_band);
        auto& colour_of = m_colour_of[p];
        if (colour_of.size() < table.size()) colour_of.resize(table.size(), k_no_colour);
        for (auto f : m_hits) {
            const auto colour = shaded ? static_cast<std::uint32_t>(code_hash(packs[p]->area(table.attribute(f)).code) % palette.size()) : 0u;
            m_coloured.push_back({colour, static_cast<std::uint32_t>(p), f});
            if (drawn_unclipped(table.box(f))) colour_of[f] = static_cast<std::uint8_t>(colour);
        }
    }
    // The layer's border line, stroked later, is worked out on the same walk round the rings.
    KeptPath* border = border_follows ? &m_border_paths[static_cast<std::size_t>(layer)] : nullptr;
    if (border) {
        border->points.clear();
        border->starts.clear();
        border->made = true;
    }
    for (std::size_t p = 0; p < packs.size() && border; ++p) {
        const std::uint32_t features = packs[p]->geometry(layer, m_band).size();
        if (m_in_stroke.size() < features) m_in_stroke.resize(features);
    }
    for (std::size_t k = 0; k < m_coloured.size();) {
        // One pack's areas at a time, marked as in the border line's stroke.
        const std::uint32_t pack = m_coloured[k].pack;
        std::size_t end = k;
        while (end < m_coloured.size() && m_coloured[end].pack == pack) ++end;
        const GeometryTable& table = packs[pack]->geometry(layer, m_band);
        const SharedEdges& shared = packs[pack]->shared_edges(layer, m_band);
        if (border)
            for (std::size_t i = k; i < end; ++i) m_in_stroke[m_coloured[i].feature] = 1;
        for (std::size_t i = k; i < end; ++i) {
            const ColouredArea& area = m_coloured[i];
            for (std::uint32_t r = 0; r < table.ring_count(area.feature); ++r)
                add_shaded_ring(table, shared, m_colour_of[pack], area.feature, r, static_cast<std::uint8_t>(area.colour), border);
        }
        if (border)
            for (std::size_t i = k; i < end; ++i) m_in_stroke[m_coloured[i].feature] = 0;
        k = end;
    }
    for (const ColouredArea& area : m_coloured) m_colour_of[area.pack][area.feature] = k_no_colour;
    if (m_coloured.empty()) return;
    m_shade_colours.clear();
    if (shaded) {
        for (const std::uint32_t colour : palette) m_shade_colours.push_back(rgb(colour, alpha));
    } else {
        m_shade_colours.push_back(fill_colour(plain_colour, monochrome));
    }
    m_painter->fill_shades(m_shade_colours);
}

void Renderer::stroke_outlines(std::span<const PackView* const> packs, GeometryLayer layer, const StrokeStyle& style) {
    bool any = false;
    for (const PackView* pack : packs) {
        query(*pack, layer);
        for (auto f : m_hits) add_feature(pack->geometry(layer, m_band), f, true);
        any = any || !m_hits.empty();
    }
    if (any) m_painter->stroke(style);
}

void Renderer::stroke_borders(std::span<const PackView* const> packs, GeometryLayer layer, StrokeStyle style) {
    // The pieces of a ring are drawn with round ends: where two meet, or meet the other feature's
    // piece, they make the round joint the whole ring would have had.
    style.cap = platform::LineCap::round;
    if (KeptPath& border = m_border_paths[static_cast<std::size_t>(layer)]; border.made) {
        border.made = false;
        if (border.starts.empty()) return;
        paint_kept(border);
        m_painter->stroke(style);
        return;
    }
    bool any = false;
    for (const PackView* pack : packs) {
        query(*pack, layer);
        if (m_hits.empty()) continue;
        const GeometryTable& table = pack->geometry(layer, m_band);
        const SharedEdges& shared = pack->shared_edges(layer, m_band);
        if (m_in_stroke.size() < table.size()) m_in_stroke.resize(table.size());
        for (auto f : m_hits) m_in_stroke[f] = 1;
        // Of the two features sharing an edge, the one of the lower number draws it when both are in
        // this stroke.
        for (auto f : m_hits) {
            auto drawn_by_other = [&](std::uint32_t point) {
                const std::uint32_t other = shared.other_feature(point);
                return other < f && m_in_stroke[other] != 0;
            };
            for (std::uint32_t r = 0; r < table.ring_count(f); ++r) add_ring_pieces(table, f, r, drawn_by_other);
        }
        for (auto f : m_hits) m_in_stroke[f] = 0;
        any = true;
    }
    if (any) m_painter->stroke(style);
}

void Renderer::add_dashed_feature(const GeometryTable& table, std::uint32_t feature, double on, double off) {
    platform::Painter& p = *m_painter;
    for (std::uint32_t r = 0; r < table.ring_count(feature); ++r) {
        project_line(table.ring(feature, r));
        m_clipped.clear();
        m_starts.clear();
        detail::clip_line(m_points, m_clip_box, m_clipped, m_starts);
        for (std::size_t k = 0; k < m_starts.size(); ++k) {
            const std::size_t end = k + 1 < m_starts.size() ? m_starts[k + 1] : m_clipped.size();
            // Walks the line, drawing while `phase` is inside the on part of the period.
            double phase = 0;
            const double period = on + off;
            for (std::size_t i = m_starts[k]; i + 1 < end; ++i) {
                const auto a = m_clipped[i], b = m_clipped[i + 1];
                const double length = distance(b.x - a.x, b.y - a.y);
                if (length <= 0) continue;
                const double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
                double t = 0;
                while (t < length) {
                    const bool drawing = phase < on;
                    const double step = std::min(length - t, drawing ? on - phase : period - phase);
                    if (drawing) {
                        p.move_to(a.x + ux * t, a.y + uy * t);
                        p.line_to(a.x + ux * (t + step), a.y + uy * (t + step));
                    }
                    t += step;
                    phase = std::fmod(phase + step, period);
                }
            }
        }
    }
}

void Renderer::paint_roads(std::span<const PackView* const> packs, const MapStyle& style, bool monochrome) {
    for (auto& bucket : m_roads_by_class) bucket.clear();
    for (auto& bucket : m_roads_by_rank) bucket.clear();
    for (auto& kept : m_rank_paths) kept.made = false;
    m_oneway.clear();
    for (const PackView* pack : packs) {
        query(*pack, GeometryLayer::road);
        const auto& table = pack->geometry(GeometryLayer::road, m_band);
        for (auto f : m_hits) {
            const RoadAttributes road = pack->road(table.attribute(f));
            const RoadRank rank = road_rank(road.road_class, road.kind);
            if (m_zoom < road_least_zoom(rank)) continue;
            m_roads_by_class[static_cast<std::size_t>(road.road_class)].push_back({pack, f});
            m_roads_by_rank[static_cast<std::size_t>(road.level) * k_road_rank_count + static_cast<std::size_t>(rank)].push_back({pack, f});
            if (road.oneway) m_oneway.push_back({pack, f});
        }
    }
    // Tunnels first, then the roads on the ground, then bridges. Within each level the casings of
    // every rank go first, then the fills from the least to the most important rank, so that
    // crossings merge and the big roads run on top.
    constexpr RoadLevel k_level_order[] = {RoadLevel::tunnel, RoadLevel::ground, RoadLevel::bridge};
    for (const RoadLevel level : k_level_order) {
        const std::size_t base = static_cast<std::size_t>(level) * k_road_rank_count;
        for (int pass = 0; pass < 3; ++pass) {
            for (std::size_t r = k_road_rank_count; r-- > 0;) {
                const auto& bucket = m_roads_by_rank[base + r];
                if (bucket.empty()) continue;
                const RoadLook look = road_look(static_cast<RoadRank>(r), level, m_zoom, style, monochrome);
                if (pass == 0 && !look.cased) continue;
                if (pass == 2 && look.centre_width <= 0) continue;
                const DashPattern dash = pass == 0 ? look.casing_dash : pass == 1 ? look.fill_dash : DashPattern{};
                if (dash.dashed()) {
                    for (const auto& [pack, f] : bucket) add_dashed_feature(pack->geometry(GeometryLayer::road, m_band), f, dash.on, dash.off);
                } else {
                    // A rank's casing, fill and centre line follow one path: it is worked out once.
                    KeptPath& kept = m_rank_paths[base + r];
                    if (!kept.made) {
                        kept.points.clear();
                        kept.starts.clear();
                        m_keeping = &kept;
                        for (const auto& [pack, f] : bucket) add_feature(pack->geometry(GeometryLayer::road, m_band), f, false);
                        m_keeping = nullptr;
                        kept.made = true;
                    }
                    paint_kept(kept);
                }
                if (pass == 0)
                    m_painter->stroke({look.casing, look.casing_width, dash.dashed() ? platform::LineCap::butt : platform::LineCap::round});
                else if (pass == 1)
                    m_painter->stroke({look.fill, look.width, dash.dashed() ? platform::LineCap::butt : platform::LineCap::round});
                else
                    m_painter->stroke({look.centre, look.centre_width, platform::LineCap::round});
            }
        }
    }
}

void Renderer::paint_arrows(const MapStyle& style, bool monochrome) {
    if (!style.oneway_arrows || m_zoom < 14.5 || m_oneway.empty()) return;
    // Motorways and roundabouts are one way by nature, and arrows on them only clutter; a piece of
    // one is marked only where the same road is two-way elsewhere in view.
    const auto exempt = [](const RoadAttributes& road, const PointRun& run) {
        if (road_rank(road.road_class, road.kind) == RoadRank::motorway || road.roundabout) return true;
        const std::uint32_t n = run.size();
        return n > 3 && run[0].x == run[n - 1].x && run[0].y == run[n - 1].y;  // a closed loop
    };
    m_two_way_names.clear();
    for (const auto& bucket : m_roads_by_class)
        for (const auto& [pack, f] : bucket) {
            const RoadAttributes road = pack->road(pack->geometry(GeometryLayer::road, m_band).attribute(f));
            if (!road.oneway && !road.name.empty()) m_two_way_names.push_back(road.name);
        }
    std::sort(m_two_way_names.begin(), m_two_way_names.end());

    constexpr double spacing = 70.0, length = 9.0, head = 3.2;
    m_arrows.clear();
    for (const auto& [pack, f] : m_oneway) {
        const auto& table = pack->geometry(GeometryLayer::road, m_band);
        const RoadAttributes road = pack->road(table.attribute(f));
        if (table.ring_count(f) > 0 && exempt(road, table.ring(f, 0)) &&
            !std::binary_search(m_two_way_names.begin(), m_two_way_names.end(), road.name))
            continue;
        for (std::uint32_t r = 0; r < table.ring_count(f); ++r) {
            project_line(table.ring(f, r));
            double travelled = spacing / 2;
            for (std::size_t i = 0; i + 1 < m_points.size(); ++i) {
                const auto a = m_points[i], b = m_points[i + 1];
                const double piece = distance(b.x - a.x, b.y - a.y);
                if (piece <= 0) continue;
                const double ux = (b.x - a.x) / piece, uy = (b.y - a.y) / piece;
                // An arrow sits on one straight piece, so that it points along the road.
                for (double t = std::max(travelled, length / 2); t + length / 2 <= piece; t += spacing) {
                    const double x = a.x + ux * t, y = a.y + uy * t;
                    if (x < -10 || y < -10 || x > m_width + 10 || y > m_height + 10) continue;
                    m_arrows.push_back({x, y, ux, uy});
                }
                travelled = std::fmod(travelled - piece, spacing);
                if (travelled < 0) travelled += spacing;
            }
        }
    }
    if (m_arrows.empty()) return;
    const Colour colour = line_colour(style.colour(ids::COLOUR_ONEWAY_ARROWS), monochrome);
    // Shafts, then the heads filled: a drawn arrow along the middle of the road.
    for (const auto& [x, y, ux, uy] : m_arrows) {
        m_painter->move_to(x - ux * length / 2, y - uy * length / 2);
        m_painter->line_to(x + ux * (length / 2 - head), y + uy * (length / 2 - head));
    }
    m_painter->stroke({colour, 1.2, platform::LineCap::butt});
    for (const auto& [x, y, ux, uy] : m_arrows) {
        const double bx = x + ux * (length / 2 - head), by = y + uy * (length / 2 - head);
        m_painter->move_to(x + ux * length / 2, y + uy * length / 2);
        m_painter->line_to(bx - uy * head * 0.75, by + ux * head * 0.75);
        m_painter->line_to(bx + uy * head * 0.75, by - ux * head * 0.75);
        m_painter->close_path();
    }
    m_painter->fill(colour);
}

void Renderer::paint_found_outline(std::span<const PackView* const> packs, const MarkOnMap& mark, bool monochrome) {
    const GeometryLayer layer = pack::layer_of(mark.area_kind);
    const auto is_found = [&](const AreaAttributes& area) {
        return area.kind == mark.area_kind && area.name == mark.area_name && area.code == mark.area_code &&
               area.state_code == mark.area_state_code;
    };
    // A white casing under a strong line: the outline reads over every shading, road and water.
    const double width = m_zoom < 7 ? 2.6 : 3.4;
    const StrokeStyle styles[] = {{k_white, width + 3.0, platform::LineCap::round},
                                  {monochrome ? k_black : k_found_mark_colour, width, platform::LineCap::round}};
    for (const StrokeStyle& style : styles) {
        bool any = false;
        for (const PackView* pack : packs) {
            query(*pack, layer);
            const auto& table = pack->geometry(layer, m_band);
            for (auto f : m_hits) {
                if (!is_found(pack->area(table.attribute(f)))) continue;
                add_feature(table, f, true);
                any = true;
            }
        }
        if (!any) return;
        m_painter->stroke(style);
    }
}

void Renderer::paint_area_names(std::span<const PackView* const> packs, const platform::TextStyle& base, double scale,
                                bool monochrome) {
    // State names from a few states in view to a whole state; postal codes where the states are small.
    if (m_zoom < 3.5 || m_zoom >= 9.5) return;
    platform::TextStyle text = base;
    text.bold = true;
    text.size = scale * (m_zoom < 5.5 ? 10.5 : m_zoom < 7.5 ? 12.5 : 15);
    text.colour = monochrome ? k_black : Colour{0xFF6A5A4Au};
    std::string upper;
    for (const PackView* pack : packs) {
        query(*pack, GeometryLayer::state);
        const auto& table = pack->geometry(GeometryLayer::state, m_band);
        for (auto f : m_hits) {
            const AreaAttributes area = pack->area(table.attribute(f));
            // The centre of the largest piece of the state in view.
            double best_area = 0, cx = 0, cy = 0;
            for (std::uint32_t r = 0; r < table.ring_count(f); ++r) {
                project_line(table.ring(f, r));
                detail::clip_ring(m_points, {0, 0, double(m_width), double(m_height)}, m_clipped, m_scratch);
                double a = 0, sx = 0, sy = 0;
                for (std::size_t i = 0, n = m_clipped.size(); i < n; ++i) {
                    const auto p = m_clipped[i], q = m_clipped[(i + 1) % n];
                    const double cross = p.x * q.y - q.x * p.y;
                    a += cross;
                    sx += (p.x + q.x) * cross;
                    sy += (p.y + q.y) * cross;
                }
                if (std::abs(a) > best_area) {
                    best_area = std::abs(a);
                    cx = sx / (3 * a);
                    cy = sy / (3 * a);
                }
            }
            best_area /= 2;
            std::string_view name = area.name;
            const auto state = state_by_fips(area.code);
            if (m_zoom < 5.5) name = state ? state->code : area.state_code;
            if (name.empty() || best_area < 900 || !is_drawable_text(name)) continue;
            upper.assign(name);
            for (char& c : upper)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            const auto extent = measure(upper, text);
            // The name must sit well inside the piece: a name wider than the piece is left out.
            if (extent.width * extent.height * 3 > best_area) continue;
            const LabelBox box{cx - extent.width / 2, cy - extent.height / 2, cx + extent.width / 2, cy + extent.height / 2};
            if (!place_label(box)) continue;
            m_painter->draw_text(box.left, box.top + extent.ascent, 0, upper, text);
        }
    }
    // The neighbouring countries, where the data holds their land.
    bool have_land = false;
    for (const PackView* pack : packs) have_land = have_land || pack->geometry(GeometryLayer::land, 0).size() > 0;
    if (!have_land || m_zoom >= 9.5) return;
    text.size = scale * (m_zoom < 5.5 ? 13 : 15);
    text.colour = monochrome ? k_black : Colour{0xFF7A7A7Au};
    std::string_view done;
    for (const CountryLabel& country : k_country_labels) {
        if (country.name == done) continue;
        const double x = m_transform.x(pack::to_units(country.lon)), y = m_transform.y(pack::to_units(country.lat));
        const auto extent = measure(country.name, text);
        const LabelBox box{x - extent.width / 2, y - extent.height / 2, x + extent.width / 2, y + extent.height / 2};
        if (!place_label(box)) continue;
        m_painter->draw_text(box.left, box.top + extent.ascent, 0, country.name, text);
        done = country.name;
    }
}

void Renderer::place_shields(const Stretch& stretch, double scale, bool monochrome) {
    std::array<RouteNumber, k_most_shields> numbers;
    const std::size_t count = split_route_refs(stretch.name, numbers);
    if (count == 0) return;
    platform::TextStyle text;
    text.size = scale * 9.5;
    text.bold = true;
    const double height = scale * 15, gap = 2;
    std::array<double, k_most_shields> widths{};
    double total = -gap;
    for (std::size_t i = 0; i < count; ++i) {
        widths[i] = shield_width(numbers[i].kind, measure(numbers[i].number, text).width, height);
        total += widths[i] + gap;
    }
    if (stretch.length < total + 10) return;
    // One set of shields a stretch, and along a long road another every few hundred pixels; the
    // same route is not shown twice within 300 pixels.
    const int copies = std::clamp(static_cast<int>(stretch.length / (total + 450)), 1, 6);
    for (int copy = 0; copy < copies; ++copy) {
        const double t = (copy + 0.5) / copies;
        const double mx = stretch.a.x + (stretch.b.x - stretch.a.x) * t, my = stretch.a.y + (stretch.b.y - stretch.a.y) * t;
        bool repeated = false;
        for (const auto& placed : m_names)
            if (placed.name == stretch.name && distance(placed.x - mx, placed.y - my) < 300) repeated = true;
        if (repeated) continue;
        if (!place_label({mx - total / 2 - 1, my - height / 2 - 1, mx + total / 2 + 1, my + height / 2 + 1})) continue;
        m_names.push_back({stretch.name, mx, my});
        double left = mx - total / 2;
        for (std::size_t i = 0; i < count; ++i) {
            const double cx = left + widths[i] / 2;
            paint_shield_shape(*m_painter, numbers[i].kind, cx, my, widths[i], height, monochrome);
            text.colour = shield_text_colour(numbers[i].kind, monochrome);
            const auto extent = measure(numbers[i].number, text);
            // Shields that narrow below sit their numbers a little high.
            const double lift = numbers[i].kind == ShieldKind::interstate || numbers[i].kind == ShieldKind::us_route ? height * 0.06 : 0;
            m_painter->draw_text(cx - extent.width / 2, my - extent.height / 2 + extent.ascent - lift, 0, numbers[i].number, text);
            left += widths[i] + gap;
        }
    }
}

std::string_view Renderer::short_name(std::string_view name) {
    // The pack keeps each name once, so its address finds the short form made at an earlier paint;
    // the long form is kept beside it in case another pack has since taken that address.
    auto [it, added] = m_short_names.try_emplace(name.data());
    if (added || it->second.first != name) it->second = {std::string(name), abbreviate_street_name(name)};
    return it->second.second;
}

platform::TextExtent Renderer::measure(std::string_view text, const platform::TextStyle& style) {
    // A street cut at every crossing has its name measured once, not once a piece.
    if (text.size() > MeasuredText::k_capacity) return m_painter->measure_text(text, style);
    std::uint32_t h = 2166136261u;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    MeasuredText& slot = m_measured[h % m_measured.size()];
    if (slot.size != text.size() || slot.text_size != style.size || slot.bold != style.bold ||
        std::string_view(slot.text.data(), slot.size) != text) {
        slot.size = text.size();
        std::copy(text.begin(), text.end(), slot.text.begin());
        slot.text_size = style.size;
        slot.bold = style.bold;
        slot.extent = m_painter->measure_text(text, style);
    }
    return slot.extent;
}

bool Renderer::place_label(const LabelBox& box) {
    if (box.left < 0 || box.top < 0 || box.right > m_width || box.bottom > m_height) return false;
    for (const auto& other : m_labels)
        if (box.left < other.right && other.left < box.right && box.top < other.bottom && other.top < box.bottom) return false;
    m_labels.push_back(box);
    return true;
}

void Renderer::paint_labels(std::span<const PackView* const> packs, const MapStyle& style, bool monochrome) {
    m_labels.clear();
    m_names.clear();
    m_labels.insert(m_labels.end(), m_mark_boxes.begin(), m_mark_boxes.end());
    const double scale = std::clamp(style.label_font_scale, 1, 24) / 6.0;
    platform::TextStyle text;
    text.colour = line_colour(style.colour(ids::COLOUR_LABEL_TEXT), monochrome);
    text.halo = monochrome ? k_white : Colour::from_bgr(static_cast<std::uint32_t>(style.label_halo_colour));
    text.halo_width = style.label_halo ? std::max(0, style.label_halo_width) + 0.5 : 0.0;
    constexpr std::size_t k_label_limit = 400;

    // Places first, largest first: the packs hold them in that order.
    const std::int64_t least = label_population(m_zoom);
    for (const PackView* pack : packs) {
        for (std::uint32_t i = 0; i < pack->place_count() && m_labels.size() < k_label_limit; ++i) {
            const PlaceRecord place = pack->place(i);
            if (place.population < least) break;
            const double x = m_transform.x(pack::to_units(place.position.lon));
            const double y = m_transform.y(pack::to_units(place.position.lat));
            if (x < 0 || y < 0 || x >= m_width || y >= m_height || place.name.empty() || !is_drawable_text(place.name)) continue;
            text.size = scale * (place.population >= 1000000 ? 14 : place.population >= 100000 ? 12.5 : place.population >= 10000 ? 11 : 10);
            text.bold = place.population >= 100000;
            const auto extent = measure(place.name, text);
            const LabelBox above{x - extent.width / 2, y - 4 - extent.height, x + extent.width / 2, y - 3};
            const LabelBox right{x + 5, y - extent.height / 2, x + 5 + extent.width, y + extent.height / 2};
            const LabelBox dot{x - 2.5, y - 2.5, x + 2.5, y + 2.5};
            if (!place_label(dot)) continue;
            if (place_label(above)) {
                m_painter->draw_text(above.left, above.top + extent.ascent, 0, place.name, text);
            } else if (place_label(right)) {
                m_painter->draw_text(right.left, right.top + extent.ascent, 0, place.name, text);
            } else {
                m_labels.pop_back();  // no room for the name: leave the dot out too
                continue;
            }
            m_painter->move_to(x + 2.2, y);
            for (int k = 1; k <= 8; ++k) {
                const double a = k * std::numbers::pi / 4;
                m_painter->line_to(x + 2.2 * std::cos(a), y + 2.2 * std::sin(a));
            }
            m_painter->fill_and_stroke(monochrome ? k_white : text.colour, {text.colour, 1.0, platform::LineCap::round});
        }
    }

    // Road names along the longest straight stretch of each road, most important roads first. A
    // street comes cut at every crossing, so the straight pieces of one street that meet end to
    // end are joined first: a name fits on the street where it would fit on no piece of it.
    // State and country names where the places leave room.
    paint_area_names(packs, text, scale, monochrome);
    if (m_zoom < 6.0) return;
    text.bold = false;
    text.size = scale * (m_zoom >= 15 ? 11 : 10);
    // Wide enough to close the gaps between letters, so that the road never shows through a name.
    if (style.label_halo) text.halo_width = std::max(text.halo_width, 0.2 * text.size);
    m_stretches.clear();
    for (std::size_t c = 0; c < m_roads_by_class.size(); ++c) {
        const auto road_class = static_cast<RoadClass>(c);
        if (m_zoom < 12.5 && road_class != RoadClass::interstate && road_class != RoadClass::highway) continue;
        if (m_zoom < 14 && road_class == RoadClass::local) continue;
        if (road_class == RoadClass::ramp) continue;
        for (const auto& [pack, f] : m_roads_by_class[c]) {
            const auto& table = pack->geometry(GeometryLayer::road, m_band);
            const RoadAttributes road = pack->road(table.attribute(f));
            // Names from street zoom; route numbers, as shields, of the roads that carry them.
            const std::string_view name = (m_zoom >= 12.5 && !road.name.empty() && is_drawable_text(road.name)) ? short_name(road.name) : std::string_view{};
            const bool shielded = !road.ref.empty() && road_class != RoadClass::local && is_drawable_text(road.ref) &&
                                  (m_zoom < 12.5 || road_class == RoadClass::interstate || road_class == RoadClass::highway || name.empty());
            if ((name.empty() && !shielded) || table.ring_count(f) == 0) continue;
            project_line(table.ring(f, 0));
            // The longest nearly straight stretch of the piece.
            // Compared squared, to take no root for each point of every road.
            double best_squared = 0;
            detail::PixelPoint a{}, b{};
            std::size_t first = 0;
            const double k_straight = std::cos(0.15);  // the most a stretch may turn, as a cosine
            for (std::size_t i = 0; i + 1 < m_points.size(); ++i) {
                const double hx = m_points[i + 1].x - m_points[i].x, hy = m_points[i + 1].y - m_points[i].y;
                const double sx = m_points[first + 1].x - m_points[first].x, sy = m_points[first + 1].y - m_points[first].y;
                const double along = hx * sx + hy * sy;
                if (along < 0 || along * along < k_straight * k_straight * ((hx * hx + hy * hy) * (sx * sx + sy * sy))) first = i;
                const double lx = m_points[i + 1].x - m_points[first].x, ly = m_points[i + 1].y - m_points[first].y;
                const double length_squared = lx * lx + ly * ly;
                if (length_squared > best_squared) {
                    best_squared = length_squared;
                    a = m_points[first];
                    b = m_points[i + 1];
                }
            }
            if (best_squared <= 1) continue;
            const double best = std::sqrt(best_squared);
            if (!name.empty()) m_stretches.push_back({name, a, b, best, static_cast<std::uint8_t>(c), true, false});
            if (shielded) m_stretches.push_back({road.ref, a, b, best, static_cast<std::uint8_t>(c), true, true});
        }
    }
    // Pieces of one street lie together once sorted by class and name: the pack keeps each name
    // once, so one street's pieces share the name's address.
    const auto same_street = [](const Stretch& x, const Stretch& y) {
        return x.road_class == y.road_class && x.name.data() == y.name.data() && x.name.size() == y.name.size() &&
               x.route_number == y.route_number;
    };
    // Stable, so that the pieces of a street keep the data's order and are joined the same way on
    // every run (the order of the streets themselves follows addresses, which differ between runs,
    // but each street is joined on its own).
    std::stable_sort(m_stretches.begin(), m_stretches.end(), [](const Stretch& x, const Stretch& y) {
        if (x.road_class != y.road_class) return x.road_class < y.road_class;
        if (x.name.data() != y.name.data()) return std::less<const char*>()(x.name.data(), y.name.data());
        return x.name.size() < y.name.size();
    });
    for (std::size_t first = 0; first < m_stretches.size();) {
        std::size_t last = first + 1;
        while (last < m_stretches.size() && same_street(m_stretches[first], m_stretches[last])) ++last;
        // Join pieces end to end while any two meet and run on in one line. A long street in a
        // thousand pieces is left as it is rather than compared piece by piece.
        for (bool joined = last - first <= 400; joined;) {
            joined = false;
            for (std::size_t i = first; i < last; ++i) {
                if (!m_stretches[i].alive) continue;
                for (std::size_t j = first; j < last; ++j)
                    if (j != i && m_stretches[j].alive && join_stretches(m_stretches[i], m_stretches[j])) {
                        m_stretches[j].alive = false;
                        joined = true;
                    }
            }
        }
        first = last;
    }
    // Within a class, the longest stretches get their names first; stretches of one length go by
    // their text and place, so that the same map is labelled the same way every time it is drawn.
    std::sort(m_stretches.begin(), m_stretches.end(), [](const Stretch& x, const Stretch& y) {
        if (x.road_class != y.road_class) return x.road_class < y.road_class;
        if (x.length != y.length) return x.length > y.length;
        if (x.name != y.name) return x.name < y.name;
        if (x.route_number != y.route_number) return x.route_number < y.route_number;
        if (x.a.x != y.a.x) return x.a.x < y.a.x;
        if (x.a.y != y.a.y) return x.a.y < y.a.y;
        if (x.b.x != y.b.x) return x.b.x < y.b.x;
        return x.b.y < y.b.y;
    });
    for (const Stretch& stretch : m_stretches) {
        if (m_labels.size() >= k_label_limit) return;
        if (!stretch.alive) continue;
        const std::string_view name = stretch.name;
        const detail::PixelPoint a = stretch.a, b = stretch.b;
        if (stretch.route_number) {
            place_shields(stretch, scale, monochrome);
            continue;
        }
        // No letter is narrower than a fifth of the size: most pieces are too short for their
        // name, and are known so without asking the painter.
        if (stretch.length < 0.2 * text.size * static_cast<double>(name.size()) + 10) continue;
        const auto extent = measure(name, text);
        if (stretch.length < extent.width + 10) continue;
        double angle = std::atan2(b.y - a.y, b.x - a.x);
        if (angle > std::numbers::pi / 2) angle -= std::numbers::pi;
        if (angle < -std::numbers::pi / 2) angle += std::numbers::pi;
        const double ca = std::cos(angle), sa = std::sin(angle);
        const double half_w = extent.width / 2, half_h = extent.height / 2;
        const double bw = std::abs(ca) * half_w + std::abs(sa) * half_h;
        const double bh = std::abs(sa) * half_w + std::abs(ca) * half_h;
        // A long street is named again every few hundred pixels, so a name is in sight wherever
        // one looks along it.
        const int copies = std::clamp(static_cast<int>(stretch.length / (extent.width + 350)), 1, 8);
        for (int copy = 0; copy < copies; ++copy) {
            const double t = (copy + 0.5) / copies;
            const double mx = a.x + (b.x - a.x) * t, my = a.y + (b.y - a.y) * t;
            bool repeated = false;
            for (const auto& placed : m_names)
                if (placed.name == name && distance(placed.x - mx, placed.y - my) < 250) repeated = true;
            if (repeated) continue;
            if (!place_label({mx - bw, my - bh, mx + bw, my + bh})) continue;
            m_names.push_back({name, mx, my});
            // Start of the baseline, so that the text's middle sits on the road's middle.
            const double bx = mx - ca * half_w - sa * (extent.ascent - half_h);
            const double by = my - sa * half_w + ca * (extent.ascent - half_h);
            m_painter->draw_text(bx, by, angle, name, text);
        }
    }
}

// Joins `other` onto `stretch` when the two meet end to end (within a pixel and a half) and run
// on in one straight line; `stretch` then spans both.
bool Renderer::join_stretches(Stretch& stretch, const Stretch& other) {
    constexpr double k_meet = 1.5, k_off_line = 1.5;
    const detail::PixelPoint ends[2] = {stretch.a, stretch.b}, other_ends[2] = {other.a, other.b};
    for (int e = 0; e < 2; ++e) {
        for (int o = 0; o < 2; ++o) {
            // Squared, as most pairs are far apart and need no root taken.
            const double gap_x = ends[e].x - other_ends[o].x, gap_y = ends[e].y - other_ends[o].y;
            if (gap_x * gap_x + gap_y * gap_y > k_meet * k_meet) continue;
            const detail::PixelPoint from = ends[1 - e], to = other_ends[1 - o];
            const double length = distance(to.x - from.x, to.y - from.y);
            if (length <= std::max(stretch.length, other.length)) return false;  // folds back on itself
            // Both meeting ends lie on the line from one far end to the other.
            const double ux = (to.x - from.x) / length, uy = (to.y - from.y) / length;
            for (const detail::PixelPoint& p : {ends[e], other_ends[o]})
                if (std::abs((p.x - from.x) * uy - (p.y - from.y) * ux) > k_off_line) return false;
            stretch.a = from;
            stretch.b = to;
            stretch.length = length;
            return true;
        }
    }
    return false;
}

void Renderer::paint(platform::Painter& painter, const MapView& view, std::span<const PackView* const> packs,
                     const MapStyle& style, bool monochrome, const Layers& layers) {
    if (m_painter_seen != &painter) m_measured.fill({});  // another painter may have other fonts
    // Marks are taken off as each layer is done; a paint cut short by an error may have left some.
    for (auto& colours : m_colour_of) std::fill(colours.begin(), colours.end(), k_no_colour);
    for (auto& border : m_border_paths) border.made = false;
    std::fill(m_in_stroke.begin(), m_in_stroke.end(), std::uint8_t{0});
    m_painter_seen = &painter;
    m_painter = &painter;
    m_width = view.width();
    m_height = view.height();
    m_zoom = view.zoom();
    m_band = pack::band_for_zoom(m_zoom);
    const Extent e = view.extent();
    // The same linear map from degrees to pixels that the client uses between the corners.
    const double ax = m_width / (e.east - e.west);
    const double ay = m_height / (e.north - e.south);
    m_transform = {ax / pack::k_units_per_degree, -e.west * ax, -ay / pack::k_units_per_degree, e.north * ay};
    const double margin_x = 4 * e.width() / m_width, margin_y = 4 * e.height() / m_height;
    m_query_box = {pack::to_units(std::max(-214.0, e.west - margin_x)), pack::to_units(std::min(214.0, e.east + margin_x)),
                   pack::to_units(std::max(-214.0, e.south - margin_y)), pack::to_units(std::min(214.0, e.north + margin_y))};
    m_safe_box = {-16000.0, -16000.0, m_width + 16000.0, m_height + 16000.0};
    m_clip_box = {-64.0, -64.0, m_width + 64.0, m_height + 64.0};

    painter.set_antialias(style.antialias);
    const std::int32_t land = style.colour(ids::COLOUR_LAND);
    const std::int32_t water = style.colour(ids::COLOUR_WATER);

    // Where packs carry state outlines, everything outside them is sea; without them, all is land.
    bool have_states = false;
    for (const PackView* pack : packs) have_states = have_states || pack->geometry(GeometryLayer::state, 0).size() > 0;
    const bool underlay = layers.underlay && *layers.underlay;
    painter.clear(fill_colour(have_states ? water : land, monochrome));
    if (underlay) (*layers.underlay)(painter, view);

    // Land beyond the nation (neighbouring countries, islands) in plain land colour, so that the sea
    // painted by the clear covers only the sea. Over an underlay the land is left open, as the states are.
    if (!underlay) fill_areas(packs, GeometryLayer::land, false, 1.0, {}, monochrome, land);

    // Over an underlay the land is left open and the shadings are lighter, so the image shows through.
    const double shade_alpha = underlay ? 0.25 : 0.45;
    if (style.shade_states)
        fill_areas(packs, GeometryLayer::state, true, underlay ? 0.35 : 1.0, k_state_palette, monochrome, land, true);
    else if (!underlay)
        fill_areas(packs, GeometryLayer::state, false, 1.0, {}, monochrome, land, true);
    if (style.shade_counties)
        fill_areas(packs, GeometryLayer::county, true, shade_alpha * 0.6, k_county_palette, monochrome, land, m_zoom >= k_county_lines_zoom);
    if (style.shade_minor_civil_divisions && m_zoom >= 8)
        fill_areas(packs, GeometryLayer::minor_civil_division, true, shade_alpha * 0.5, k_mcd_palette, monochrome, land, m_zoom >= 9);
    if (style.shade_places && m_zoom >= 7) fill_areas(packs, GeometryLayer::place, true, shade_alpha, k_place_palette, monochrome, land);
    fill_areas(packs, GeometryLayer::water, false, 1.0, {}, monochrome, water);
    if (monochrome) stroke_outlines(packs, GeometryLayer::water, {k_black, 0.6, platform::LineCap::butt});

    if (m_zoom >= 9) stroke_borders(packs, GeometryLayer::minor_civil_division, {line_colour(style.colour(ids::COLOUR_COUNTY_LINES), monochrome), 0.4, platform::LineCap::butt});
    // Below this zoom the counties of the eastern states are a few pixels across, and their lines
    // merge into one grey mass over the country.
    if (m_zoom >= k_county_lines_zoom)
        stroke_borders(packs, GeometryLayer::county,
                        {line_colour(style.colour(ids::COLOUR_COUNTY_LINES), monochrome), m_zoom < 5.5 ? 0.35 : m_zoom < 7 ? 0.5 : 0.8,
                         platform::LineCap::butt});
    stroke_borders(packs, GeometryLayer::state,
                    {line_colour(style.colour(ids::COLOUR_STATE_LINES), monochrome), m_zoom < 7 ? 1.2 : 2.0, platform::LineCap::butt});

    paint_roads(packs, style, monochrome);
    paint_arrows(style, monochrome);
    const MarkOnMap* mark = layers.mark;
    if (mark && mark->outlined) paint_found_outline(packs, *mark, monochrome);
    // The found point, in pixels; labels keep clear of it.
    m_mark_boxes.clear();
    double mark_x = 0, mark_y = 0;
    if (mark && mark->point_kind != MarkOnMap::Point::none) {
        mark_x = m_transform.x(pack::to_units(mark->point.lon));
        mark_y = m_transform.y(pack::to_units(mark->point.lat));
        const bool pin = mark->point_kind == MarkOnMap::Point::pin;
        const PixelBounds b = pin ? pin_bounds(mark_x, mark_y) : dot_bounds(mark_x, mark_y);
        if (b.right >= 0 && b.left <= m_width && b.bottom >= 0 && b.top <= m_height) {
            if (pin) {
                for (const PixelBounds& box : pin_label_boxes(mark_x, mark_y)) m_mark_boxes.push_back({box.left, box.top, box.right, box.bottom});
            } else {
                m_mark_boxes.push_back({b.left, b.top, b.right, b.bottom});
            }
        }
    }
    paint_labels(packs, style, monochrome);
    if (style.lat_lon_grid || style.locator_grid || style.scale_bar) {
        const AidFrame frame{e.west, e.east, e.south, e.north, m_width, m_height};
        const double label_scale = std::clamp(style.label_font_scale, 1, 24) / 6.0;
        if (style.locator_grid) paint_locator_grid(painter, frame, label_scale, monochrome);
        if (style.lat_lon_grid) paint_lat_lon_grid(painter, frame, label_scale, monochrome);
        if (style.scale_bar) paint_scale_bar(painter, frame, label_scale, monochrome);
    }
    if (layers.overlay && *layers.overlay) (*layers.overlay)(painter, view);
    if (!m_mark_boxes.empty()) {
        if (mark->point_kind == MarkOnMap::Point::pin)
            paint_pin(painter, mark_x, mark_y, monochrome);
        else
            paint_mark_dot(painter, mark_x, mark_y, monochrome);
    }
    painter.flush();
    m_painter = nullptr;
}

}  // namespace tolm::engine
