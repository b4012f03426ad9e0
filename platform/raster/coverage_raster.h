#pragma once

#include "platform/painter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tolm::platform {

// Pixels a raster paints into: 32-bit premultiplied ARGB, rows top to bottom.
struct PixelTarget {
    std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;  // in pixels
};

enum class FillRule : std::uint8_t { even_odd, non_zero };

// An antialiasing scan converter for the painter port's paths, painting straight into pixel memory.
//
// A map is tens of thousands of short edges in a few colours: general-purpose 2-D libraries spend
// most of a map paint setting up and tessellating strokes. Here fills accumulate the exact area each
// edge covers in the pixels it crosses (sparse cells, swept row by row), and strokes mark every
// pixel's distance to the nearest segment, which gives round joins and caps without tessellation and
// paints each pixel of a line once however often the line is drawn over itself. A stroke of the same
// path again, no wider (a road's line over its casing), is painted from the marks already made.
//
// The raster keeps its buffers between paints, so repeated paints allocate nothing once they have
// grown to the size of the data; it holds up to ten byte masks for that, each with room for the
// whole picture but written only where strokes reach (fewer masks for large pictures).
class CoverageRaster {
public:
    void move_to(double x, double y);
    void line_to(double x, double y);
    void lines_to(std::span<const PathPoint> points);
    void close_path();
    void clear_path() noexcept;
    bool path_empty() const noexcept { return m_points.empty(); }

    // Shaded areas' rings, for fill_shades (see Painter::begin_shaded).
    void begin_shaded(double x, double y, std::uint8_t shade);
    void shaded_lines_to(std::span<const PathPoint> points, std::span<const std::uint8_t> beyond);

    // Fill and stroke leave the path in place; the caller clears it.
    void fill(const PixelTarget& target, Colour colour, FillRule rule, bool antialias);
    // Fills the shaded subpaths in one sweep, each shade in its colour, the colours laid in their
    // order at every pixel: as if each shade were filled in turn, with every shared edge walked once.
    void fill_shades(const PixelTarget& target, std::span<const Colour> colours, FillRule rule, bool antialias);
    // Joins are round; `style.cap` shapes the two ends of each open subpath. A stroke whose path is
    // done with may have it cleared: the raster then keeps it for a later stroke of the same path
    // without copying it (a country's borders are some thirty thousand points).
    enum class PathAfter : std::uint8_t { kept, cleared };
    void stroke(const PixelTarget& target, const StrokeStyle& style, bool antialias, PathAfter after = PathAfter::kept);
    // Forgets the strokes kept for painting again: the pixels they were laid on may change.
    void forget_strokes() noexcept;

private:
    using Point = PathPoint;
    static constexpr std::uint8_t k_unshaded = 255;
    struct Subpath {
        std::uint32_t first, count;
        bool closed;
        std::uint8_t shade = k_unshaded;
        // By member: the padding of two equal subpaths need not be.
        bool operator==(const Subpath&) const = default;
    };
    struct Cell {
        // The pixel's x, and for a shaded fill from bit k_shade_shift the shade and the shade beyond
        // the edge (k_no_shade_beyond for none), four bits each.
        std::int32_t x;
        std::int32_t cover;  // signed height (1/256 pixel) of edges crossing the cell
        std::int32_t area;   // twice the signed area (1/65536 pixel) they leave to their left within it
    };
    static constexpr std::int32_t k_shade_shift = 14;  // pictures are at most 16,384 pixels wide
    static constexpr std::int32_t k_no_shade_beyond = 15;
    static_assert(k_most_shades <= k_no_shade_beyond && k_max_paint_side <= (1 << k_shade_shift));
    struct Segment {
        double ax, ay, bx, by;
        bool butt_start, butt_end;
    };

    // Distances of pixels from a stroked path (see stroke), kept with the path they measure.
    // The mask is kept by square tiles, each tile's marks together (255 is out of reach), and only
    // for the tiles a stroke reached: a street network's box is most of the picture while its lines
    // touch a small part of it, and the marks of a stroke stay within the processor's caches.
    struct Marks {
        std::vector<std::uint32_t> slot_of_tile;  // by tile: where in `pool` its marks are, if reached
        std::vector<std::uint32_t> tiles;         // the tiles reached, each once, by slot
        std::vector<std::uint8_t> pool;           // k_tile_bytes of marks for each slot
        // The tiles of one tile row last made sure of (a path's next segment mostly lies in them).
        std::int32_t reached_row = -1, reached_first = 0, reached_last = -1;
        double reach = 0;  // distance that mark 255 stands for
        float scale = 0;   // marks per squared pixel
        bool antialias = true;
        LineCap cap = LineCap::round;
        bool holds_path = false;
        std::uint64_t age = 0;
        std::vector<Point> path_points;
        std::vector<Subpath> path_subpaths;

        bool traced(const std::vector<Point>& points, const std::vector<Subpath>& subpaths) const noexcept;
    };
    // A street map strokes each rank of road twice, casings first and fills after, with up to nine
    // ranks between a path's two strokes: ten masks keep every casing's marks for its fill. Large
    // pictures keep fewer, so that the masks stay within a budget.
    static constexpr std::size_t k_most_kept_marks = 10;
    static constexpr std::size_t k_marks_budget = std::size_t(96) << 20;  // bytes
    static constexpr std::int32_t k_tile_shift = 4;  // tiles of 16 x 16 pixels
    static constexpr std::int32_t k_tile = 1 << k_tile_shift;
    static constexpr std::int32_t k_short_segment = 12;  // pixels of box width measured whole
    static constexpr std::size_t k_tile_bytes = std::size_t(k_tile) * k_tile;
    static constexpr std::uint32_t k_no_slot = ~0u;

    // The edges of every subpath into cells; a shaded path's cells carry their shades.
    void add_path_edges(bool shaded);
    void add_edge(double x0, double y0, double x1, double y1);
    void add_inside_edge(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    void add_row_piece(std::int32_t row, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    void add_cell(std::int32_t row, std::int32_t x, std::int32_t cover, std::int32_t area);
    Marks& take_marks();
    // Gathers a subpath's drawable points into m_line; false if it has none.
    bool line_points(const Point* p, std::uint32_t count, bool closed);
    void stroke_segment(Marks& marks, const Segment& s, double half_width, bool antialias);
    void reach_tiles(Marks& marks, std::int32_t tile_row, std::int32_t first, std::int32_t last);
    // Where the mark of pixel (x, y) lies; its tile has been reached.
    std::uint8_t* mark_at(Marks& marks, std::int32_t x, std::int32_t y) const noexcept {
        const std::uint32_t slot = marks.slot_of_tile[std::size_t(y >> k_tile_shift) * std::size_t(m_tile_columns) + std::size_t(x >> k_tile_shift)];
        return marks.pool.data() + std::size_t(slot) * k_tile_bytes + std::size_t((y & (k_tile - 1)) * k_tile + (x & (k_tile - 1)));
    }
    void wipe(Marks& marks);
    void lay(const PixelTarget& target, Marks& marks, const StrokeStyle& style, bool antialias, bool last_use);
    // A line's coverage by mark, for marks of one scale laid at one width: a street view lays
    // some seventy lines in about thirty pairs of the two, and each table costs 255 square roots.
    struct CoverageTable {
        float scale = 0;
        double half_width = -1;
        bool antialias = false;
        std::array<std::uint8_t, 256> coverage{};
    };
    const CoverageTable& coverage_table(float scale, double half_width, bool antialias);
    void prepare(const PixelTarget& target);

    std::vector<Point> m_points;
    std::vector<std::uint8_t> m_beyond;  // of shaded paths, by point: what lies beyond the edge to it
    std::vector<Subpath> m_subpaths;
    bool m_open = false;  // the last subpath takes further line_to calls
    std::vector<Point> m_line, m_run;  // a stroked subpath's points, and those it leaves out

    std::int32_t m_width = 0, m_height = 0;
    std::int32_t m_tile_columns = 0, m_tile_rows = 0;
    std::vector<std::vector<Cell>> m_rows;  // fill cells by row
    std::vector<std::int32_t> m_cover_by_x, m_area_by_x;  // one row's cells summed by x
    std::vector<std::uint64_t> m_touched;                // a bit for each x with a cell
    std::int32_t m_cell_tag = 0;                         // added to the x of each cell laid
    // A shaded fill's row of totals by x and shade, and the shades with cells at each x.
    struct ShadeTotal {
        std::int32_t cover = 0, area = 0;
    };
    std::vector<ShadeTotal> m_shade_totals;
    std::vector<std::uint16_t> m_shades_at;
    std::int32_t m_top = 0, m_bottom = -1;  // rows with fill cells
    std::vector<Marks> m_marks;             // the stroke being marked and strokes kept for another use
    std::size_t m_kept_marks = 0;           // how many masks this size of picture may keep
    std::uint64_t m_clock = 0;
    std::array<CoverageTable, 48> m_coverage_tables;
    std::size_t m_next_coverage_table = 0;  // the one replaced next, round the ring
};

}  // namespace tolm::platform
