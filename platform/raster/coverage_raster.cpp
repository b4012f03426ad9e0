#include "platform/raster/coverage_raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tolm::platform {

namespace {

// Multiplies the four 8-bit channels of `p` by f / 255, rounded.
inline std::uint32_t scale(std::uint32_t p, std::uint32_t f) noexcept {
    std::uint32_t rb = (p & 0x00FF00FFu) * f + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t ag = ((p >> 8) & 0x00FF00FFu) * f + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

// A colour ready to be laid over premultiplied pixels at any coverage: the colour scaled by each
// coverage is worked out once per fill or stroke, not once per pixel.
class Ink {
public:
    Ink() noexcept = default;
    explicit Ink(Colour colour) noexcept {
        const std::uint32_t a = colour.argb >> 24;
        const std::uint32_t premultiplied = (colour.argb & 0xFF000000u) | (scale(colour.argb, a) & 0x00FFFFFFu);
        for (std::uint32_t c = 0; c < 256; ++c) m_scaled[c] = scale(premultiplied, c);
    }
    void pixel(std::uint32_t& dst, std::uint32_t coverage) const noexcept {
        const std::uint32_t s = m_scaled[coverage];
        const std::uint32_t keep = 255 - (s >> 24);
        dst = keep == 0 ? s : s + scale(dst, keep);
    }
    bool opaque() const noexcept { return (m_scaled[255] >> 24) == 255; }
    std::uint32_t scaled(std::uint32_t coverage) const noexcept { return m_scaled[coverage]; }
    void span(std::uint32_t* dst, std::int32_t count, std::uint32_t coverage) const noexcept {
        const std::uint32_t s = m_scaled[coverage];
        const std::uint32_t keep = 255 - (s >> 24);
        if (keep == 0) {
            std::fill(dst, dst + count, s);
            return;
        }
        // What lies beneath a span is mostly one colour (a translucent county over its state):
        // blend each run of it once.
        std::uint32_t beneath = ~dst[0], blended = 0;
        for (std::int32_t i = 0; i < count; ++i) {
            if (dst[i] != beneath) {
                beneath = dst[i];
                blended = s + scale(beneath, keep);
            }
            dst[i] = blended;
        }
    }

private:
    std::array<std::uint32_t, 256> m_scaled{};
};

// Lays four premultiplied colours over four pixels, as Ink::pixel does one: the same rounding, so
// the result does not depend on which way a pixel was painted. A colour of 0 leaves its pixel be.
inline void blend_four(std::uint32_t* dst, std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3) noexcept {
#if defined(__SSE2__)
    const __m128i s = _mm_set_epi32(static_cast<int>(s3), static_cast<int>(s2), static_cast<int>(s1), static_cast<int>(s0));
    __m128i keep = _mm_sub_epi32(_mm_set1_epi32(255), _mm_srli_epi32(s, 24));
    keep = _mm_or_si128(keep, _mm_slli_epi32(keep, 16));  // the share kept, in both 16-bit halves
    const __m128i keep_low = _mm_unpacklo_epi32(keep, keep), keep_high = _mm_unpackhi_epi32(keep, keep);
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    auto times_keep = [&](__m128i channels, __m128i share) {
        // channels * share / 255, rounded, for products up to 255 * 255.
        const __m128i t = _mm_add_epi16(_mm_mullo_epi16(channels, share), half);
        return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    const __m128i low = times_keep(_mm_unpacklo_epi8(d, zero), keep_low);
    const __m128i high = times_keep(_mm_unpackhi_epi8(d, zero), keep_high);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_add_epi8(_mm_packus_epi16(low, high), s));
#else
    const std::uint32_t colours[4] = {s0, s1, s2, s3};
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t keep = 255 - (colours[k] >> 24);
        dst[k] = colours[k] + scale(dst[k], keep);
    }
#endif
}

// Coverage 0 to 255 of a pixel from its accumulated area in 1/256ths of a pixel, signed by winding.
// The rule and the antialiasing are fixed for a fill, and its sweep is built once for each.
template <FillRule Rule, bool Antialias>
inline std::uint32_t to_coverage(std::int32_t area) noexcept {
    std::int32_t a = area < 0 ? -area : area;
    if constexpr (Rule == FillRule::even_odd) {
        a &= 511;
        if (a > 256) a = 512 - a;
    } else {
        a = std::min(a, 256);
    }
    if constexpr (!Antialias) return a >= 128 ? 255u : 0u;
    return static_cast<std::uint32_t>((a * 255 + 128) >> 8);
}

// Runs a fill's sweep as built for its rule and antialiasing.
template <typename Sweep>
void sweep_for(FillRule rule, bool antialias, Sweep& sweep) {
    if (rule == FillRule::even_odd) {
        if (antialias) sweep.template operator()<FillRule::even_odd, true>();
        else sweep.template operator()<FillRule::even_odd, false>();
    } else {
        if (antialias) sweep.template operator()<FillRule::non_zero, true>();
        else sweep.template operator()<FillRule::non_zero, false>();
    }
}

// floor and ceil for values already brought within int range; the library versions cost a
// dozen instructions each on processors without SSE4.1, and these run for every row of every edge.
inline std::int32_t floor_int(double v) noexcept {
    const auto i = static_cast<std::int32_t>(v);
    return i - (v < i ? 1 : 0);
}
inline std::int32_t ceil_int(double v) noexcept {
    const auto i = static_cast<std::int32_t>(v);
    return i + (v > i ? 1 : 0);
}
// A coordinate inside the picture in the fills' fixed point, 1/256 of a pixel.
inline std::int32_t to_fixed(double v) noexcept { return static_cast<std::int32_t>(v * 256 + 0.5); }
// Far outside the picture every coordinate is as good as this one, and it converts to int safely.
inline double tame(double v) noexcept { return std::clamp(v, -1.0e8, 1.0e8); }

bool finite(double a, double b, double c, double d) noexcept {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

void CoverageRaster::move_to(double x, double y) {
    m_subpaths.push_back({static_cast<std::uint32_t>(m_points.size()), 1, false});
    m_points.push_back({x, y});
    m_open = true;
}

void CoverageRaster::begin_shaded(double x, double y, std::uint8_t shade) {
    move_to(x, y);
    m_subpaths.back().shade = std::min<std::uint8_t>(shade, k_most_shades - 1);
    m_beyond.resize(m_points.size(), k_edge_alone);
}

void CoverageRaster::line_to(double x, double y) {
    if (!m_open) {
        // After close_path a line carries on from the start of the closed subpath; with no
        // current point at all the line starts here.
        if (m_subpaths.empty()) {
            move_to(x, y);
            return;
        }
        const Point start = m_points[m_subpaths.back().first];
        move_to(start.x, start.y);
    }
    m_points.push_back({x, y});
    ++m_subpaths.back().count;
}

void CoverageRaster::lines_to(std::span<const PathPoint> points) {
    if (points.empty()) return;
    // The first point starts the subpath where line_to would; the rest follow it.
    line_to(points[0].x, points[0].y);
    m_points.insert(m_points.end(), points.begin() + 1, points.end());
    m_subpaths.back().count += static_cast<std::uint32_t>(points.size() - 1);
}

void CoverageRaster::shaded_lines_to(std::span<const PathPoint> points, std::span<const std::uint8_t> beyond) {
    if (!m_open || m_subpaths.back().shade == k_unshaded) {
        lines_to(points);
        return;
    }
    m_points.insert(m_points.end(), points.begin(), points.end());
    m_subpaths.back().count += static_cast<std::uint32_t>(points.size());
    m_beyond.insert(m_beyond.end(), beyond.begin(), beyond.begin() + static_cast<std::ptrdiff_t>(std::min(beyond.size(), points.size())));
    m_beyond.resize(m_points.size(), k_edge_alone);
}

void CoverageRaster::close_path() {
    if (!m_open) return;
    m_subpaths.back().closed = true;
    m_open = false;
}

void CoverageRaster::clear_path() noexcept {
    m_points.clear();
    m_beyond.clear();
    m_subpaths.clear();
    m_open = false;
}

void CoverageRaster::prepare(const PixelTarget& target) {
    if (target.width != m_width || target.height != m_height) {
        m_width = std::max(0, target.width);
        m_height = std::max(0, target.height);
        m_rows.resize(static_cast<std::size_t>(m_height));
        m_cover_by_x.assign(static_cast<std::size_t>(m_width), 0);
        m_area_by_x.assign(static_cast<std::size_t>(m_width), 0);
        m_touched.assign(static_cast<std::size_t>(m_width / 64 + 1), 0);
        m_tile_columns = (m_width + k_tile - 1) >> k_tile_shift;
        m_tile_rows = (m_height + k_tile - 1) >> k_tile_shift;
        m_marks.clear();
        const std::size_t area = std::max<std::size_t>(1, std::size_t(m_width) * std::size_t(m_height));
        m_kept_marks = std::clamp<std::size_t>(k_marks_budget / area, 2, k_most_kept_marks);
        m_marks.reserve(m_kept_marks);
    }
    m_top = m_height;
    m_bottom = -1;
}

// ---- Fills ----

// Fills work in fixed point, 1/256 of a pixel, so that edges that meet at a point meet exactly and
// walking an edge across rows and cells is integer stepping. Each cell keeps the signed height of
// the edges crossing it (carried to every pixel to its right) and twice the area they leave to
// their right within it.
// Every edge calls this for each cell it crosses, so it is built into its callers.
[[gnu::always_inline]] inline void CoverageRaster::add_cell(std::int32_t row, std::int32_t x, std::int32_t cover, std::int32_t area) {
    if (x >= m_width || cover == 0) return;
    auto& cells = m_rows[static_cast<std::size_t>(row)];
    x |= m_cell_tag;
    if (!cells.empty() && cells.back().x == x) {
        cells.back().cover += cover;
        cells.back().area += area;
        return;
    }
    cells.push_back({x, cover, area});
}

namespace {

// Splits `numerator / denominator` (denominator > 0) into a floored quotient and its remainder.
// Fills keep to pictures of at most k_max_paint_side pixels a side, 2^22 in fixed point, so every
// product the edge walk divides stays below 2^30: 32-bit division, cheaper than 64-bit on many
// processors (1.7 times here) and no library call on 32-bit x86.
inline void divide(std::int32_t numerator, std::int32_t denominator, std::int32_t& quotient, std::int32_t& remainder) noexcept {
    quotient = numerator / denominator;
    remainder = numerator % denominator;
    // Without a branch: the signs of an edge's steps follow no pattern a processor could predict.
    const std::int32_t negative = remainder >> 31;
    quotient += negative;
    remainder += denominator & negative;
}

// One step of an edge's walk: the quotient's share, and one more whenever the remainders carried
// add up to a whole; branch-free for the same reason.
inline std::int32_t step_share(std::int32_t lift, std::int32_t rem, std::int32_t denominator, std::int32_t& mod) noexcept {
    mod += rem;
    const std::int32_t carry = ~(mod >> 31);  // all ones once mod >= 0
    mod -= denominator & carry;
    return lift - carry;
}

}  // namespace

// The part of an edge within one row, from (x1, y1) to (x2, y2): x in 1/256 pixel, y the
// fraction 0 to 256 of the row. Built into add_inside_edge, whose every row comes here.
[[gnu::always_inline]] inline void CoverageRaster::add_row_piece(std::int32_t row, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    if (y1 == y2) return;
    const std::int32_t cell1 = x1 >> 8, cell2 = x2 >> 8;
    const std::int32_t fraction1 = x1 & 255, fraction2 = x2 & 255;
    if (cell1 == cell2) {
        add_cell(row, cell1, y2 - y1, (fraction1 + fraction2) * (y2 - y1));
        return;
    }
    // Across cells: the height spent in each is stepped without rounding drift.
    // The direction picked by masks, not branches: 0 rightwards, all ones leftwards.
    const std::int32_t leftwards = (x2 - x1) >> 31;
    const std::int32_t dx = ((x2 - x1) ^ leftwards) - leftwards;
    const std::int32_t dy = y2 - y1;
    const std::int32_t first = 256 & ~leftwards, step = 1 | leftwards;
    const std::int32_t p = (fraction1 + ((256 - 2 * fraction1) & ~leftwards)) * dy;
    std::int32_t delta, mod;
    divide(p, dx, delta, mod);
    add_cell(row, cell1, delta, (fraction1 + first) * delta);
    std::int32_t cell = cell1 + step;
    std::int32_t y = y1 + delta;
    if (cell != cell2) {
        std::int32_t lift, rem;
        divide(256 * dy, dx, lift, rem);
        mod -= dx;
        while (cell != cell2) {
            delta = step_share(lift, rem, dx, mod);
            add_cell(row, cell, delta, 256 * delta);
            y += delta;
            cell += step;
        }
    }
    delta = y2 - y;
    add_cell(row, cell2, delta, (fraction2 + 256 - first) * delta);
}

// An edge already inside the picture, in 1/256 pixel, row by row. Built into the walk round each
// subpath: a country's counties are some forty thousand edges of a few pixels.
[[gnu::always_inline]] inline void CoverageRaster::add_inside_edge(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    if (y1 == y2) return;
    std::int32_t row1 = y1 >> 8;
    const std::int32_t row2 = y2 >> 8;
    // An edge ending on the bottom of the picture ends in no row below it.
    const std::int32_t last_row = m_height - 1;
    m_top = std::min(m_top, std::min(std::min(row1, row2), last_row));
    m_bottom = std::max(m_bottom, std::min(std::max(row1, row2), last_row));
    if (row1 == row2) {
        if (row1 <= last_row) add_row_piece(row1, x1, y1 & 255, x2, y2 & 255);
        return;
    }
    const std::int32_t dx = x2 - x1;
    const std::int32_t upwards = (y2 - y1) >> 31;  // as leftwards in add_row_piece
    const std::int32_t dy = ((y2 - y1) ^ upwards) - upwards;
    const std::int32_t first = 256 & ~upwards, step = 1 | upwards;
    const std::int32_t p = ((y1 & 255) + ((256 - 2 * (y1 & 255)) & ~upwards)) * dx;
    std::int32_t delta, mod;
    divide(p, dy, delta, mod);
    std::int32_t x_from = x1 + delta;
    if (row1 <= last_row) add_row_piece(row1, x1, y1 & 255, x_from, first);
    row1 += step;
    if (row1 != row2) {
        std::int32_t lift, rem;
        divide(256 * dx, dy, lift, rem);
        mod -= dy;
        while (row1 != row2) {
            delta = step_share(lift, rem, dy, mod);
            const std::int32_t x_to = x_from + delta;
            if (row1 <= last_row) add_row_piece(row1, x_from, 256 - first, x_to, first);
            x_from = x_to;
            row1 += step;
        }
    }
    if (row2 <= last_row) add_row_piece(row2, x_from, 256 - first, x2, y2 & 255);
}

void CoverageRaster::add_edge(double x0, double y0, double x1, double y1) {
    if (!finite(x0, y0, x1, y1) || y0 == y1) return;
    const double w = m_width, h = m_height;
    auto fixed = to_fixed;
    if (x0 >= 0 && x0 <= w && x1 >= 0 && x1 <= w && y0 >= 0 && y0 <= h && y1 >= 0 && y1 <= h) {
        add_inside_edge(fixed(x0), fixed(y0), fixed(x1), fixed(y1));
        return;
    }
    if ((y0 <= 0 && y1 <= 0) || (y0 >= h && y1 >= h) || (x0 >= w && x1 >= w)) return;
    const double dx = x1 - x0, dy = y1 - y0;
    // Only rows inside the picture matter; cut the edge to them.
    double t0 = 0, t1 = 1;
    if (dy > 0) {
        t0 = std::max(t0, -y0 / dy);
        t1 = std::min(t1, (h - y0) / dy);
    } else {
        t0 = std::max(t0, (h - y0) / dy);
        t1 = std::min(t1, -y0 / dy);
    }
    if (!(t0 < t1)) return;
    // Split where the edge crosses the left and right sides: left of the picture an edge still
    // covers everything to its right, so it is pressed onto x = 0; right of it, it covers nothing.
    double cuts[4] = {t0, t1, t1, t1};
    std::size_t n = 1;
    if (dx != 0) {
        for (const double side : {0.0, w}) {
            const double t = (side - x0) / dx;
            if (t > t0 && t < t1) cuts[n++] = t;
        }
    }
    cuts[n++] = t1;
    if (n == 4 && cuts[1] > cuts[2]) std::swap(cuts[1], cuts[2]);
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const double ta = cuts[k], tb = cuts[k + 1];
        if (!(ta < tb)) continue;
        const double mid_x = x0 + dx * (ta + tb) / 2;
        if (mid_x >= w) continue;
        double xa = std::clamp(x0 + dx * ta, 0.0, w), xb = std::clamp(x0 + dx * tb, 0.0, w);
        if (mid_x < 0) xa = xb = 0;
        add_inside_edge(fixed(xa), fixed(std::clamp(y0 + dy * ta, 0.0, h)), fixed(xb), fixed(std::clamp(y0 + dy * tb, 0.0, h)));
    }
}

void CoverageRaster::add_path_edges(bool shaded) {
    const double width = m_width, height = m_height;
    for (const Subpath& sub : m_subpaths) {
        const Point* p = m_points.data() + sub.first;
        if (sub.count < 2) continue;
        // In a shaded fill each edge's cells carry the subpath's shade and the one beyond the edge;
        // an edge left to the area beyond, or bounding another area of the same shade, cancels out.
        // A subpath given no shade takes the first.
        const bool with_shades = shaded;
        const std::uint8_t shade = sub.shade == k_unshaded ? 0 : sub.shade;
        const std::int32_t own = with_shades ? std::int32_t{shade} << k_shade_shift : 0;
        m_cell_tag = own | (with_shades ? k_no_shade_beyond << (k_shade_shift + 4) : 0);
        auto walked = [&](std::uint32_t i) {
            if (!with_shades) return true;
            const std::size_t point = std::size_t(sub.first) + i;
            const std::uint8_t beyond = point < m_beyond.size() ? m_beyond[point] : k_edge_alone;
            if (beyond == k_edge_left_out || beyond == shade) return false;
            m_cell_tag = own | (beyond < k_most_shades ? std::int32_t{beyond} : k_no_shade_beyond) << (k_shade_shift + 4);
            return true;
        };
        // Most subpaths lie wholly inside the picture (a NaN fails the test): each point is taken
        // to fixed point once, and the edges need no cutting.
        bool inside = true;
        for (std::uint32_t i = 0; i < sub.count && inside; ++i) inside = p[i].x >= 0 && p[i].x <= width && p[i].y >= 0 && p[i].y <= height;
        if (inside) {
            const std::int32_t first_x = to_fixed(p[0].x), first_y = to_fixed(p[0].y);
            std::int32_t x = first_x, y = first_y;
            for (std::uint32_t i = 1; i < sub.count; ++i) {
                const std::int32_t next_x = to_fixed(p[i].x), next_y = to_fixed(p[i].y);
                if (walked(i)) add_inside_edge(x, y, next_x, next_y);
                x = next_x;
                y = next_y;
            }
            // A fill closes every subpath; the closing edge is the subpath's own.
            if (with_shades) m_cell_tag = own | k_no_shade_beyond << (k_shade_shift + 4);
            add_inside_edge(x, y, first_x, first_y);
            continue;
        }
        for (std::uint32_t i = 0; i + 1 < sub.count; ++i)
            if (walked(i + 1)) add_edge(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y);
        if (with_shades) m_cell_tag = own | k_no_shade_beyond << (k_shade_shift + 4);
        add_edge(p[sub.count - 1].x, p[sub.count - 1].y, p[0].x, p[0].y);
    }
    m_cell_tag = 0;
}

void CoverageRaster::fill(const PixelTarget& target, Colour colour, FillRule rule, bool antialias) {
    // Painters refuse larger pictures; the fixed-point walk below relies on it.
    if (m_points.empty() || target.width <= 0 || target.height <= 0 || !target.pixels || target.width > k_max_paint_side ||
        target.height > k_max_paint_side)
        return;
    prepare(target);
    add_path_edges(false);
    const Ink ink(colour);
    auto sweep = [&]<FillRule Rule, bool Antialias>() {
        // Each row's cells came in the order of the edges. They are summed into a row of totals by x,
        // with a bit for each x that has one, and the bits give the cells back in order: no sorting,
        // and cells of the same pixel are joined on the way.
        for (std::int32_t y = m_top; y <= m_bottom; ++y) {
            auto& cells = m_rows[static_cast<std::size_t>(y)];
            if (cells.empty()) continue;
            std::uint32_t first_word = ~0u, last_word = 0;
            for (const Cell& c : cells) {
                const auto x = static_cast<std::uint32_t>(c.x);
                m_cover_by_x[x] += c.cover;
                m_area_by_x[x] += c.area;
                m_touched[x >> 6] |= std::uint64_t{1} << (x & 63);
                first_word = std::min(first_word, x >> 6);
                last_word = std::max(last_word, x >> 6);
            }
            cells.clear();
            std::uint32_t* line = target.pixels + std::size_t(y) * std::size_t(target.stride);
            std::int32_t carried = 0, previous = -1;
            for (std::uint32_t w = first_word; w <= last_word; ++w) {
                std::uint64_t bits = m_touched[w];
                m_touched[w] = 0;
                for (; bits; bits &= bits - 1) {
                    const std::int32_t x = static_cast<std::int32_t>(w * 64 + static_cast<std::uint32_t>(__builtin_ctzll(bits)));
                    if (x > previous + 1 && carried != 0)
                        if (const auto c = to_coverage<Rule, Antialias>(carried)) ink.span(line + previous + 1, x - previous - 1, c);
                    const std::int32_t cover = m_cover_by_x[std::size_t(x)], area = m_area_by_x[std::size_t(x)];
                    m_cover_by_x[std::size_t(x)] = 0;
                    m_area_by_x[std::size_t(x)] = 0;
                    if (const auto c = to_coverage<Rule, Antialias>(carried + cover - (area >> 9))) ink.pixel(line[x], c);
                    carried += cover;
                    previous = x;
                }
            }
            if (previous + 1 < m_width && carried != 0)
                if (const auto c = to_coverage<Rule, Antialias>(carried)) ink.span(line + previous + 1, m_width - previous - 1, c);
        }
    };
    sweep_for(rule, antialias, sweep);
}

void CoverageRaster::fill_shades(const PixelTarget& target, std::span<const Colour> colours, FillRule rule, bool antialias) {
    if (m_points.empty() || colours.empty() || target.width <= 0 || target.height <= 0 || !target.pixels ||
        target.width > k_max_paint_side || target.height > k_max_paint_side)
        return;
    prepare(target);
    if (m_shades_at.size() != std::size_t(m_width)) {
        m_shade_totals.assign(std::size_t(m_width) * (k_most_shades + 1), {});
        m_shades_at.assign(std::size_t(m_width), 0);
    }
    add_path_edges(true);
    const std::size_t shades = std::min(colours.size(), k_most_shades);
    std::array<Ink, k_most_shades> inks;
    for (std::size_t k = 0; k < shades; ++k) inks[k] = Ink(colours[k]);
    // A pixel's totals by shade, and one more that takes the shares of no shade: what lies beyond
    // an edge of one area only, and subpaths of a shade with no colour, which are left out.
    const std::uint32_t spare = static_cast<std::uint32_t>(shades), stride = spare + 1;
    const std::uint32_t coloured = (1u << shades) - 1;
    auto sweep = [&]<FillRule Rule, bool Antialias>() {
        std::array<std::int32_t, k_most_shades + 1> carried{};
        for (std::int32_t y = m_top; y <= m_bottom; ++y) {
            auto& cells = m_rows[static_cast<std::size_t>(y)];
            if (cells.empty()) continue;
            // As in fill, summed by x; each cell adds to its shade and takes from the one beyond.
            std::uint32_t first_word = ~0u, last_word = 0;
            for (const Cell& c : cells) {
                const auto x = static_cast<std::uint32_t>(c.x) & ((1u << k_shade_shift) - 1);
                const auto own = std::min((static_cast<std::uint32_t>(c.x) >> k_shade_shift) & 15u, spare);
                const auto beyond = std::min((static_cast<std::uint32_t>(c.x) >> (k_shade_shift + 4)) & 15u, spare);
                ShadeTotal* totals = m_shade_totals.data() + std::size_t(x) * stride;
                totals[own].cover += c.cover;
                totals[own].area += c.area;
                totals[beyond].cover -= c.cover;
                totals[beyond].area -= c.area;
                m_shades_at[x] |= static_cast<std::uint16_t>((1u << own) | (1u << beyond));
                m_touched[x >> 6] |= std::uint64_t{1} << (x & 63);
                first_word = std::min(first_word, x >> 6);
                last_word = std::max(last_word, x >> 6);
            }
            cells.clear();
            std::uint32_t* line = target.pixels + std::size_t(y) * std::size_t(target.stride);
            // The shades whose areas the row is inside, and how far.
            std::uint32_t inside = 0;
            std::int32_t previous = -1;
            auto span_to = [&](std::int32_t end) {
                for (std::uint32_t open = inside; open; open &= open - 1) {
                    const int shade = __builtin_ctz(open);
                    if (const auto c = to_coverage<Rule, Antialias>(carried[std::size_t(shade)])) inks[std::size_t(shade)].span(line + previous + 1, end - previous - 1, c);
                }
            };
            for (std::uint32_t w = first_word; w <= last_word; ++w) {
                std::uint64_t bits = m_touched[w];
                m_touched[w] = 0;
                for (; bits; bits &= bits - 1) {
                    const std::int32_t x = static_cast<std::int32_t>(w * 64 + static_cast<std::uint32_t>(__builtin_ctzll(bits)));
                    if (x > previous + 1 && inside) span_to(x);
                    ShadeTotal* totals = m_shade_totals.data() + std::size_t(x) * stride;
                    const std::uint32_t here = m_shades_at[std::size_t(x)];
                    m_shades_at[std::size_t(x)] = 0;
                    totals[spare] = {};
                    // Every shade with a cell here or an area around, in the order of the colours.
                    for (std::uint32_t laid = (here | inside) & coloured; laid; laid &= laid - 1) {
                        const auto shade = static_cast<std::size_t>(__builtin_ctz(laid));
                        const ShadeTotal total = totals[shade];
                        totals[shade] = {};
                        if (const auto c = to_coverage<Rule, Antialias>(carried[shade] + total.cover - (total.area >> 9))) inks[shade].pixel(line[x], c);
                        carried[shade] += total.cover;
                        if (carried[shade] != 0) inside |= 1u << shade;
                        else inside &= ~(1u << shade);
                    }
                    previous = x;
                }
            }
            if (inside) span_to(m_width);
            for (std::uint32_t open = inside; open; open &= open - 1) carried[std::size_t(__builtin_ctz(open))] = 0;
        }
    };
    sweep_for(rule, antialias, sweep);
}

// ---- Strokes ----
//
// A stroke marks, for every pixel near the path, how near the nearest segment passes: the squared
// distance, scaled so that 0 is on the line and 255 is out of reach. Overlapping segments keep the
// nearest, so joints and lines drawn twice (a border shared by two counties) are painted once.
// The coverage follows from the distance and the width only when the marks are laid on the
// pixels; a road's casing and its line share one path, and the line is painted from the casing's
// marks without tracing the path again.

namespace {

// Coverage of a pixel at `distance` from the middle of a line half_width wide: the share of a
// one-pixel box filter, across the line, that falls within it.
inline double across_share(double distance, double half_width) noexcept {
    return std::clamp(std::min(distance + 0.5, half_width) - std::max(distance - 0.5, -half_width), 0.0, 1.0);
}

}  // namespace

CoverageRaster::Marks& CoverageRaster::take_marks() {
    Marks* chosen = nullptr;
    for (Marks& marks : m_marks)
        if (!chosen || (!marks.holds_path && chosen->holds_path) || (marks.holds_path == chosen->holds_path && marks.age < chosen->age))
            chosen = &marks;
    if (!chosen || (chosen->holds_path && m_marks.size() < m_kept_marks)) {
        m_marks.emplace_back();
        chosen = &m_marks.back();
    }
    const std::size_t tiles = std::size_t(m_tile_columns) * std::size_t(m_tile_rows);
    if (chosen->slot_of_tile.size() != tiles) {
        chosen->slot_of_tile.assign(tiles, k_no_slot);
        chosen->tiles.clear();
        chosen->reached_row = -1;
        chosen->tiles.reserve(tiles);
        // Room for every tile, so that the marks never move while a segment is being measured;
        // only the tiles reached are ever written.
        chosen->pool.clear();
        chosen->pool.reserve(tiles * k_tile_bytes);
    } else {
        wipe(*chosen);
    }
    chosen->holds_path = false;
    return *chosen;
}

// Gives the tiles of one tile row from tile column `first` to `last` their marks, all out of reach.
// Every segment comes here, mostly to find its tiles already reached: it is built into its caller.
[[gnu::always_inline]] inline void CoverageRaster::reach_tiles(Marks& marks, std::int32_t tile_row, std::int32_t first, std::int32_t last) {
    if (tile_row == marks.reached_row && first >= marks.reached_first && last <= marks.reached_last) return;
    marks.reached_row = tile_row;
    marks.reached_first = first;
    marks.reached_last = last;
    std::uint32_t* slots = marks.slot_of_tile.data() + std::size_t(tile_row) * std::size_t(m_tile_columns);
    const std::uint32_t base = static_cast<std::uint32_t>(tile_row * m_tile_columns);
    for (std::int32_t column = first; column <= last; ++column) {
        if (slots[column] != k_no_slot) continue;
        const auto slot = static_cast<std::uint32_t>(marks.tiles.size());
        slots[column] = slot;
        marks.tiles.push_back(base + static_cast<std::uint32_t>(column));
        const std::size_t end = std::size_t(slot + 1) * k_tile_bytes;
        if (marks.pool.size() < end) marks.pool.resize(end, 255);
        else std::memset(marks.pool.data() + end - k_tile_bytes, 255, k_tile_bytes);
    }
}

// Forgets the tiles reached: their marks are set out of reach when they are next reached.
void CoverageRaster::wipe(Marks& marks) {
    for (const std::uint32_t tile : marks.tiles) marks.slot_of_tile[tile] = k_no_slot;
    marks.tiles.clear();
    marks.reached_row = -1;
}

namespace {

// The stretch of each row whose pixel centres lie within `radius` of a segment: the stretch within
// the straight part (across within the radius, along within the segment) joined with the stretches
// within the two end discs. The capsule is convex, so they make one stretch. Each bound of the
// straight part moves by a fixed step from row to row, so a row costs a few multiplications.
class RowSpans {
public:
    RowSpans(double ax, double ay, double bx, double by, double ux, double uy, double length, double radius) noexcept
        : m_ax(ax), m_ay(ay), m_bx(bx), m_by(by), m_radius(radius), m_length(length), m_uy(uy) {
        // Slopes this near level or upright are taken as exactly so: the bounds would be far outside
        // the picture in any case.
        m_level = std::abs(uy) < 1e-9;
        m_upright = std::abs(ux) < 1e-9;
        if (!m_level) {
            m_centre_step = ux / uy;
            m_half = radius / std::abs(uy);
        }
        if (!m_upright) {
            m_along_step = -uy / ux;
            m_along_end = length / ux;
        }
    }

    // False when no pixel centre of row centre `y` is within reach.
    bool span(double y, double& lo, double& hi) const noexcept {
        const double py = y - m_ay;
        lo = -1e30;
        hi = 1e30;
        if (m_level) {
            if (std::abs(py) > m_radius) hi = lo;
        } else {
            const double centre = m_ax + py * m_centre_step;
            lo = centre - m_half;
            hi = centre + m_half;
        }
        if (m_upright) {
            const double along = py * m_uy;
            if (along < 0 || along > m_length) hi = lo - 1;
        } else {
            const double x1 = m_ax + py * m_along_step, x2 = x1 + m_along_end;
            lo = std::max(lo, std::min(x1, x2));
            hi = std::min(hi, std::max(x1, x2));
        }
        if (lo > hi) lo = 1e30, hi = -1e30;
        take_disc(m_ax, m_ay, y, lo, hi);
        take_disc(m_bx, m_by, y, lo, hi);
        return lo <= hi;
    }

private:
    void take_disc(double px, double py, double y, double& lo, double& hi) const noexcept {
        const double h2 = m_radius * m_radius - (y - py) * (y - py);
        if (h2 < 0) return;
        const double h = std::sqrt(h2);
        lo = std::min(lo, px - h);
        hi = std::max(hi, px + h);
    }

    double m_ax, m_ay, m_bx, m_by, m_radius, m_length, m_uy;
    bool m_level = false, m_upright = false;
    double m_centre_step = 0, m_half = 0, m_along_step = 0, m_along_end = 0;
};

// Four floats in one register: GCC and clang give these the processor's vector instructions on
// every target the product builds for (SSE2 on both x86 builds).
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

// Lane by lane the lesser and the greater of four floats: one instruction each with SSE, where
// the plain comparisons take a compare and three logical steps.
inline Float4 least(Float4 a, Float4 b) noexcept {
#if defined(__SSE2__)
    return std::bit_cast<Float4>(_mm_min_ps(std::bit_cast<__m128>(a), std::bit_cast<__m128>(b)));
#else
    return a < b ? a : b;
#endif
}
inline Float4 greatest(Float4 a, Float4 b) noexcept {
#if defined(__SSE2__)
    return std::bit_cast<Float4>(_mm_max_ps(std::bit_cast<__m128>(a), std::bit_cast<__m128>(b)));
#else
    return a > b ? a : b;
#endif
}

// Keeps at `group` the nearer of each of its `Count` marks (four or eight) and the new ones in
// `low` and, for eight, `high`: the new marks are 0 to 255, so the saturating packs are exact.
template <int Count>
inline void keep_nearest(std::uint8_t* group, Int4 low, Int4 high) noexcept {
    static_assert(Count == 4 || Count == 8);
#if defined(__SSE2__)
    const __m128i words = _mm_packs_epi32(reinterpret_cast<const __m128i&>(low), reinterpret_cast<const __m128i&>(high));
    const __m128i marks = _mm_packus_epi16(words, words);
    if constexpr (Count == 8) {
        __m128i* where = reinterpret_cast<__m128i*>(group);
        _mm_storel_epi64(where, _mm_min_epu8(_mm_loadl_epi64(where), marks));
    } else {
        std::uint32_t kept;
        std::memcpy(&kept, group, 4);
        const auto laid = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_min_epu8(_mm_cvtsi32_si128(static_cast<int>(kept)), marks)));
        std::memcpy(group, &laid, 4);
    }
#else
    for (int k = 0; k < Count; ++k) group[k] = std::min(group[k], static_cast<std::uint8_t>(k < 4 ? low[k] : high[k - 4]));
#endif
}

// Marks a row of pixels with their squared distance from a segment with round ends: along and
// across the segment step by its direction from pixel to pixel, and the squared distance to the
// nearest point is across squared plus how far along lies beyond an end. Every pixel in reach is
// measured, since a narrower line may be laid from these marks later.
//
// Along and across are measured in units of the direction's length, whatever it is: with the
// segment itself as the direction, its length is wanted nowhere, and a short segment's measure
// waits on no square root and no division but the scale's.
//
// Pixels go eight or four at a time from a multiple of four, so that a group lies within one tile.
// The pixels a group takes in beyond the stretch asked for are out of reach, or so near its edge
// that no line laid from the marks covers them; the marks keep the nearest.
struct RoundMeasure {
    double ax, ay;
    float ux, uy;  // the direction
    float length;  // of the segment, in the direction's units
    float scale;   // marks per squared unit

    // Measures pixels `left` to `right` of the row whose centre lies `py` below the segment's start;
    // `at(x)` is where the mark of pixel x lies.
    template <typename At>
    void row(At at, double py, std::int32_t left, std::int32_t right) const noexcept {
        const std::int32_t from = left & ~3;
        const auto fx = static_cast<float>(from + 0.5 - ax), fy = static_cast<float>(py);
        const Float4 steps = {0.0f, 1.0f, 2.0f, 3.0f};
        groups(at, from, right, fx * ux + fy * uy + steps * ux, fx * uy - fy * ux + steps * uy);
    }

    // Measures the pixels `left` to `right` of the rows `first` to `last`, the first of whose centres
    // lies `py` below the segment's start: a short segment's box. From row to row the measures move
    // by the direction's step, so a row starts with two additions. `at(y, x)` is where the mark of
    // pixel x of row y lies.
    template <typename At>
    void box(At at, double py, std::int32_t first, std::int32_t last, std::int32_t left, std::int32_t right) const noexcept {
        const std::int32_t from = left & ~3;
        const auto fx = static_cast<float>(from + 0.5 - ax), fy = static_cast<float>(py);
        const Float4 steps = {0.0f, 1.0f, 2.0f, 3.0f};
        Float4 along = fx * ux + fy * uy + steps * ux, across = fx * uy - fy * ux + steps * uy;
        for (std::int32_t y = first; y <= last; ++y, along += uy, across -= ux)
            groups([&](std::int32_t x) { return at(y, x); }, from, right, along, across);
    }

private:
    // Marks the pixels from `from` (a multiple of four) until past `right`, given the first four
    // pixels' measures along and across the segment: eight at a time, or four where fewer are left
    // or eight would cross into the next tile (tiles are sixteen pixels wide).
    template <typename At>
    [[gnu::always_inline]] void groups(At at, std::int32_t from, std::int32_t right, Float4 along, Float4 across) const noexcept {
        const float along_step = 4 * ux, across_step = 4 * uy;
        const Float4 zero = {}, end = zero + length, most = zero + 255.0f;
        auto next_four = [&]() noexcept {
            const Float4 beyond = along - least(greatest(along, zero), end);
            const Float4 distance = (across * across + beyond * beyond) * scale;
            along += along_step;
            across += across_step;
            return __builtin_convertvector(least(distance, most), Int4);
        };
        std::uint8_t* group = at(from);
        for (std::int32_t x = from; x <= right;) {
            if ((x & 15) == 0 && x != from) group = at(x);
            if (right - x < 4 || (x & 15) == 12) {
                const Int4 four = next_four();
                keep_nearest<4>(group, four, four);
                x += 4;
                group += 4;
                continue;
            }
            const Int4 low = next_four(), high = next_four();
            keep_nearest<8>(group, low, high);
            x += 8;
            group += 8;
        }
    }
};

}  // namespace

// Pixels a segment's box takes in, its columns widened to whole groups of four as they are measured.
inline double box_area(std::int32_t top, std::int32_t bottom, std::int32_t left, std::int32_t right) noexcept {
    return double(bottom - top + 1) * double((right | 3) - (left & ~3) + 1);
}

void CoverageRaster::stroke_segment(Marks& marks, const Segment& s, double half_width, bool antialias) {
    const double ax = tame(s.ax), ay = tame(s.ay), bx = tame(s.bx), by = tame(s.by);
    const double dx = bx - ax, dy = by - ay;
    const double reach = marks.reach;
    const double box_left = std::min(ax, bx) - reach, box_right = std::max(ax, bx) + reach;
    // Rows and columns whose pixel centres come within reach.
    const std::int32_t first_row = std::max(0, ceil_int(std::min(ay, by) - reach - 0.5));
    const std::int32_t last_row = std::min(m_height - 1, floor_int(std::max(ay, by) + reach - 0.5));
    const std::int32_t box_first = std::max(0, ceil_int(box_left - 0.5));
    const std::int32_t box_last = std::min(m_width - 1, floor_int(box_right - 0.5));
    if (first_row > last_row || box_first > box_last) return;
    const float scale = marks.scale;
    const bool round = !s.butt_start && !s.butt_end;
    // Round segments are measured along the segment itself (see RoundMeasure); a dot, or a segment
    // too short for its scale to stay finite, along any direction of unit length. A boundary line
    // is tens of thousands of segments, and the marks need far less than a float's precision.
    const auto squared_length = static_cast<float>(dx * dx + dy * dy);
    const bool dot = !(squared_length > 1e-12f);
    const RoundMeasure measure{ax, ay, dot ? 1.0f : static_cast<float>(dx), dot ? 0.0f : static_cast<float>(dy), squared_length,
                               dot ? scale : scale / squared_length};
    // Short segments (most of a boundary line), and any segment whose box is not much more than the
    // pixels within reach of it (a road running near level or upright, a wide line), are measured
    // over their whole box: working out each row's stretch costs more than the pixels it would
    // spare. Measured on the street view, boxes up to three times what lies in reach still pay.
    auto in_reach = [&] { return 2 * reach * std::sqrt(double(squared_length)) + std::numbers::pi * reach * reach; };
    if (round && (box_last - box_first < k_short_segment || box_area(first_row, last_row, box_first, box_last) <= 3 * in_reach())) {
        for (std::int32_t band = first_row >> k_tile_shift; band <= last_row >> k_tile_shift; ++band)
            reach_tiles(marks, band, box_first >> k_tile_shift, box_last >> k_tile_shift);
        measure.box([&](std::int32_t y, std::int32_t x) noexcept { return mark_at(marks, x, y); }, first_row + 0.5 - ay, first_row,
                    last_row, box_first, box_last);
        return;
    }
    const float length_float = std::sqrt(squared_length);
    const double length = length_float;
    const double inverse = length_float > 0 ? 1.0f / length_float : 0;
    const double ux = length > 0 ? dx * inverse : 1, uy = dy * inverse;
    // Each row is measured only over the pixels whose centres lie within the capsule around the
    // segment: a flat end's coverage reaches half a pixel along past the end, which the capsule of
    // the radius to that corner takes in. The small margin keeps the pixels that float rounding puts
    // just inside the reach.
    const double radius = (round || !antialias ? reach : std::sqrt(reach * reach + 0.25)) + 1.0 / 64;
    const double start = s.butt_start ? 0.0 : -1e30, end = s.butt_end ? length : 1e30;
    static_assert(k_tile == 16, "the measure moves to the next tile every sixteen pixels");
    const RowSpans spans(ax, ay, bx, by, ux, uy, length, radius);
    for (std::int32_t row = first_row; row <= last_row; ++row) {
        const double yc = row + 0.5;
        const double py = yc - ay;
        double lo, hi;
        if (!spans.span(yc, lo, hi)) continue;
        const std::int32_t left = std::max(box_first, ceil_int(std::clamp(lo, box_left - 1, box_right + 1) - 0.5));
        const std::int32_t right = std::min(box_last, floor_int(std::clamp(hi, box_left - 1, box_right + 1) - 0.5));
        if (left > right) continue;
        reach_tiles(marks, row >> k_tile_shift, left >> k_tile_shift, right >> k_tile_shift);
        auto at = [&marks, row, this](std::int32_t x) noexcept { return mark_at(marks, x, row); };
        if (!round) {
            // A flat end cuts the line square at the end point: the share of the pixel's box along
            // the line that falls short of the end, marked as the distance that would give it.
            for (std::int32_t x = left; x <= right; ++x) {
                const double qx = x + 0.5 - ax;
                const double along = qx * ux + py * uy;
                double distance = std::abs(qx * uy - py * ux);
                if (along < 0 && !s.butt_start) distance = std::sqrt(qx * qx + py * py);
                else if (along > length && !s.butt_end) distance = std::sqrt((qx - dx) * (qx - dx) + (py - dy) * (py - dy));
                double equivalent;
                if (antialias) {
                    const double covered = std::min(std::min(along + 0.5, end) - std::max(along - 0.5, start), 1.0) *
                                           across_share(distance, half_width);
                    if (covered <= 0) continue;
                    equivalent = std::max(0.0, half_width + 0.5 - covered);
                } else {
                    if (distance > reach || along < start || along > end) continue;
                    equivalent = distance;
                }
                const auto mark = static_cast<std::uint8_t>(std::min(equivalent * equivalent * scale, 254.0));
                std::uint8_t& kept = *at(x);
                kept = std::min(kept, mark);
            }
            continue;
        }
        measure.row(at, py, left, right);
    }
}

namespace {

// Which of sixteen marks in a row give any coverage (are at most `seen`), and which give full
// coverage (are at most `solid`).
class MarkedRow {
public:
    MarkedRow(const std::uint8_t* marks, std::uint8_t seen, std::uint8_t solid) noexcept {
#if defined(__SSE2__)
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(marks));
        const __m128i seen_limit = _mm_set1_epi8(static_cast<char>(seen)), solid_limit = _mm_set1_epi8(static_cast<char>(solid));
        m_seen = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(m, seen_limit), seen_limit)));
        m_solid = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(m, solid_limit), solid_limit)));
#else
        m_seen = m_solid = 0;
        for (int k = 0; k < 16; ++k) {
            m_seen |= std::uint32_t(marks[k] <= seen) << k;
            m_solid |= std::uint32_t(marks[k] <= solid) << k;
        }
#endif
    }
    bool none() const noexcept { return m_seen == 0; }
    // A bit for each group of four with a mark seen, the first group lowest.
    std::uint32_t groups_seen() const noexcept {
        std::uint32_t any = m_seen | (m_seen >> 1);
        any = (any | (any >> 2)) & 0x1111u;
        // Bits 0, 4, 8 and 12 land, without carries, on bits 9 to 12.
        return ((any * 0x249u) >> 9) & 15u;
    }
    // Four bits for the four pixels from 4 * group on.
    std::uint32_t solid(int group) const noexcept { return (m_solid >> (4 * group)) & 15u; }

private:
    std::uint32_t m_seen, m_solid;
};

}  // namespace

const CoverageRaster::CoverageTable& CoverageRaster::coverage_table(float scale, double half_width, bool antialias) {
    for (const CoverageTable& table : m_coverage_tables)
        if (table.scale == scale && table.half_width == half_width && table.antialias == antialias) return table;
    CoverageTable& table = m_coverage_tables[m_next_coverage_table];
    m_next_coverage_table = (m_next_coverage_table + 1) % m_coverage_tables.size();
    table.scale = scale;
    table.half_width = half_width;
    table.antialias = antialias;
    for (std::size_t mark = 0; mark < 255; ++mark) {
        const double distance = std::sqrt((static_cast<double>(mark) + 0.5) / scale);
        table.coverage[mark] = antialias ? static_cast<std::uint8_t>(across_share(distance, half_width) * 255 + 0.5)
                                         : (distance <= std::max(half_width, 0.5) ? 255 : 0);
    }
    table.coverage[255] = 0;
    return table;
}

void CoverageRaster::lay(const PixelTarget& target, Marks& marks, const StrokeStyle& style, bool antialias, bool last_use) {
    // Coverage by mark for this width.
    const auto& coverage = coverage_table(marks.scale, style.width / 2, antialias).coverage;
    const Ink ink(style.colour);
    // The colour to lay at each mark, scaled by its coverage; 255 (out of reach) lays nothing.
    std::array<std::uint32_t, 256> ink_by_mark{};
    for (std::size_t mark = 0; mark < 256; ++mark) ink_by_mark[mark] = ink.scaled(coverage[mark]);
    // Marks up to `solid` give full coverage: with an opaque colour, four of them in a row are
    // four stores.
    std::uint8_t solid = 0;
    while (solid < 254 && coverage[solid + 1u] == 255) ++solid;
    // Marks past `seen` give no coverage at this width (no mark at all, should even mark 0 give none).
    std::uint8_t seen = 254;
    while (seen > 0 && coverage[seen] == 0) --seen;
    const bool opaque = ink.opaque() && coverage[0] == 255;
    const std::uint32_t full = ink.scaled(255);
    for (std::size_t slot = 0; slot < marks.tiles.size(); ++slot) {
        const std::uint32_t tile = marks.tiles[slot];
        const std::int32_t top = static_cast<std::int32_t>(tile / std::uint32_t(m_tile_columns)) << k_tile_shift;
        const std::int32_t left = static_cast<std::int32_t>(tile % std::uint32_t(m_tile_columns)) << k_tile_shift;
        const std::int32_t bottom = std::min(m_height, top + k_tile), right = std::min(m_width, left + k_tile);
        const std::uint8_t* row = marks.pool.data() + slot * k_tile_bytes;
        for (std::int32_t y = top; y < bottom; ++y, row += k_tile) {
            std::uint32_t* line = target.pixels + std::size_t(y) * std::size_t(target.stride) + left;
            if (right - left == k_tile) {
                // Lines are thin: most of a tile's row is out of reach, and is passed over whole.
                const MarkedRow marked(row, seen, solid);
                if (marked.none()) continue;
                for (std::uint32_t groups = marked.groups_seen(); groups; groups &= groups - 1) {
                    const int group = __builtin_ctz(groups);
                    const int x = 4 * group;
                    if (opaque && marked.solid(group) == 15u) std::fill(line + x, line + x + 4, full);
                    else blend_four(line + x, ink_by_mark[row[x]], ink_by_mark[row[x + 1]], ink_by_mark[row[x + 2]], ink_by_mark[row[x + 3]]);
                }
                continue;
            }
            for (std::int32_t x = 0; x < right - left; ++x)
                if (const std::uint32_t c = coverage[row[x]]) ink.pixel(line[x], c);
        }
        if (last_use) marks.slot_of_tile[tile] = k_no_slot;
    }
    // Laid for the last time and wiped on the way: the next stroke finds the mask clean.
    if (last_use) {
        marks.tiles.clear();
        marks.reached_row = -1;
    }
}

bool CoverageRaster::Marks::traced(const std::vector<Point>& points, const std::vector<Subpath>& subs) const noexcept {
    return holds_path && path_points.size() == points.size() && path_subpaths.size() == subs.size() &&
           std::memcmp(path_points.data(), points.data(), points.size() * sizeof(Point)) == 0 &&
           std::equal(path_subpaths.begin(), path_subpaths.end(), subs.begin());
}

void CoverageRaster::forget_strokes() noexcept {
    for (Marks& marks : m_marks) marks.holds_path = false;
}

namespace {

// Whether points lie within `near` of the segment from `a` to `b`; without a division, since every
// point of a stroked path is tested against a chord or more.
class Chord {
public:
    Chord(double ax, double ay, double bx, double by, double near) noexcept
        : m_ax(ax), m_ay(ay), m_dx(bx - ax), m_dy(by - ay), m_near2(near * near),
          m_length2(m_dx * m_dx + m_dy * m_dy), m_limit(m_near2 * m_length2) {}
    bool near(double px, double py) const noexcept {
        const double qx = px - m_ax, qy = py - m_ay;
        // Most points are far from the line through the chord, and so from the chord: one test.
        const double across = qx * m_dy - qy * m_dx;
        if (across * across > m_limit) return false;
        const double along = qx * m_dx + qy * m_dy;
        if (along <= 0) return qx * qx + qy * qy <= m_near2;
        if (along >= m_length2) {
            const double ex = qx - m_dx, ey = qy - m_dy;
            return ex * ex + ey * ey <= m_near2;
        }
        return true;
    }

private:
    double m_ax, m_ay, m_dx, m_dy, m_near2, m_length2, m_limit;
};

}  // namespace

bool CoverageRaster::line_points(const Point* p, std::uint32_t count, bool closed) {
    m_line.clear();
    std::uint32_t first = 0;
    while (first < count && !finite(p[first].x, p[first].y, 0, 0)) ++first;
    if (first == count) return false;
    // Points that lie within a small fraction of a pixel of the line through their neighbours
    // change no mark beyond antialiasing noise, but each costs a segment measured over its whole
    // reach: a street network at a middle zoom has a point every two pixels. A run of points is
    // dropped while every one of them stays that near the chord that replaces them.
    constexpr double k_near = 1.0 / 16;
    constexpr std::size_t k_longest_run = 16;
    m_line.push_back(p[first]);
    Point candidate{};
    bool have_candidate = false;
    std::size_t run_start = 0;  // in m_run: the points dropped since the last one kept
    m_run.clear();
    auto take = [&](Point q) {
        if (!finite(q.x, q.y, 0, 0)) return;
        const Point last = have_candidate ? candidate : m_line.back();
        if (q.x == last.x && q.y == last.y) return;
        if (!have_candidate) {
            candidate = q;
            have_candidate = true;
            return;
        }
        const Point anchor = m_line.back();
        const Chord chord(anchor.x, anchor.y, q.x, q.y, k_near);
        bool near = m_run.size() - run_start < k_longest_run && chord.near(candidate.x, candidate.y);
        for (std::size_t k = run_start; near && k < m_run.size(); ++k) near = chord.near(m_run[k].x, m_run[k].y);
        if (near) {
            m_run.push_back(candidate);
        } else {
            m_line.push_back(candidate);
            run_start = m_run.size();
        }
        candidate = q;
    };
    for (std::uint32_t i = first + 1; i < count; ++i) take(p[i]);
    if (closed) take(p[first]);
    if (have_candidate) m_line.push_back(candidate);
    return true;
}

void CoverageRaster::stroke(const PixelTarget& target, const StrokeStyle& style, bool antialias, PathAfter after) {
    const double half_width = style.width / 2;
    if (m_points.empty() || target.width <= 0 || target.height <= 0 || !target.pixels || !(half_width > 0) ||
        !std::isfinite(half_width))
        return;
    prepare(target);
    const double reach = antialias ? half_width + 0.5 : std::max(half_width, 0.5);
    // The same path marked before, as wide or wider, with the same ends: lay the marks again.
    for (Marks& marks : m_marks) {
        // Flat ends are marked for their own width only.
        const bool fits = style.cap == LineCap::round ? reach <= marks.reach : reach == marks.reach;
        if (marks.antialias == antialias && fits && marks.cap == style.cap && marks.traced(m_points, m_subpaths)) {
            lay(target, marks, style, antialias, true);
            marks.holds_path = false;
            marks.age = 0;
            if (after == PathAfter::cleared) clear_path();
            return;
        }
    }
    Marks& marks = take_marks();
    marks.reach = reach;
    marks.scale = static_cast<float>(255.0 / (reach * reach));
    marks.antialias = antialias;
    marks.cap = style.cap;
    for (const Subpath& sub : m_subpaths) {
        if (!line_points(m_points.data() + sub.first, sub.count, sub.closed)) continue;
        const bool closed = sub.closed;
        const bool butt = style.cap != LineCap::round && !closed;
        const bool square = style.cap == LineCap::square && !closed;
        const std::size_t count = m_line.size();
        if (count == 1) {
            // A subpath that never moves is a dot with round caps and nothing with the others.
            if (style.cap == LineCap::round) {
                const Point dot = m_line[0];
                stroke_segment(marks, {dot.x, dot.y, dot.x, dot.y, false, false}, half_width, antialias);
            }
            continue;
        }
        auto extend = [&](double& x, double& y, double towards_x, double towards_y) {
            const double l = std::sqrt((x - towards_x) * (x - towards_x) + (y - towards_y) * (y - towards_y));
            x += (x - towards_x) / l * half_width;
            y += (y - towards_y) / l * half_width;
        };
        for (std::size_t i = 0; i + 1 < count; ++i) {
            const Point a = m_line[i], b = m_line[i + 1];
            Segment segment{a.x, a.y, b.x, b.y, butt && i == 0, butt && i + 2 == count};
            if (square && i == 0) extend(segment.ax, segment.ay, b.x, b.y);
            if (square && i + 2 == count) extend(segment.bx, segment.by, a.x, a.y);
            stroke_segment(marks, segment, half_width, antialias);
        }
    }
    lay(target, marks, style, antialias, false);
    if (after == PathAfter::cleared) {
        marks.path_points.swap(m_points);
        marks.path_subpaths.swap(m_subpaths);
        clear_path();
    } else {
        marks.path_points.assign(m_points.begin(), m_points.end());
        marks.path_subpaths.assign(m_subpaths.begin(), m_subpaths.end());
    }
    marks.holds_path = true;
    marks.age = ++m_clock;
}

}  // namespace tolm::platform
