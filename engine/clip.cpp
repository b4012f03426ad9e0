#include "engine/clip.h"

#include <algorithm>
#include <cstddef>

namespace tolm::engine::detail {

namespace {

template <typename Inside, typename Cross>
void clip_edge(const std::vector<PixelPoint>& in, std::vector<PixelPoint>& out, Inside inside, Cross cross) {
    out.clear();
    if (in.empty()) return;
    PixelPoint previous = in.back();
    bool previous_inside = inside(previous);
    for (const auto& current : in) {
        const bool current_inside = inside(current);
        if (current_inside != previous_inside) out.push_back(cross(previous, current));
        if (current_inside) out.push_back(current);
        previous = current;
        previous_inside = current_inside;
    }
}

PixelPoint at_x(const PixelPoint& a, const PixelPoint& b, double x) {
    return {x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
}
PixelPoint at_y(const PixelPoint& a, const PixelPoint& b, double y) {
    return {a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y};
}

}  // namespace

void clip_ring(const std::vector<PixelPoint>& ring, const PixelBox& box, std::vector<PixelPoint>& out,
               std::vector<PixelPoint>& scratch) {
    // A ring wholly inside the box comes out as it went in, without the four passes (a state's
    // outline seen whole, measured for its name).
    if (std::all_of(ring.begin(), ring.end(),
                    [&](const PixelPoint& p) { return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom; })) {
        out.assign(ring.begin(), ring.end());
        return;
    }
    clip_edge(ring, scratch, [&](const PixelPoint& p) { return p.x >= box.left; },
              [&](const PixelPoint& a, const PixelPoint& b) { return at_x(a, b, box.left); });
    clip_edge(scratch, out, [&](const PixelPoint& p) { return p.x <= box.right; },
              [&](const PixelPoint& a, const PixelPoint& b) { return at_x(a, b, box.right); });
    clip_edge(out, scratch, [&](const PixelPoint& p) { return p.y >= box.top; },
              [&](const PixelPoint& a, const PixelPoint& b) { return at_y(a, b, box.top); });
    clip_edge(scratch, out, [&](const PixelPoint& p) { return p.y <= box.bottom; },
              [&](const PixelPoint& a, const PixelPoint& b) { return at_y(a, b, box.bottom); });
}

void clip_line(const std::vector<PixelPoint>& line, const PixelBox& box, std::vector<PixelPoint>& pieces,
               std::vector<std::size_t>& starts) {
    bool open = false;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        // Liang-Barsky on one segment.
        PixelPoint a = line[i], b = line[i + 1];
        double t0 = 0, t1 = 1;
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
        bool visible = true;
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0) visible = false;
            } else {
                const double t = q[k] / p[k];
                if (p[k] < 0) {
                    if (t > t1) visible = false;
                    else if (t > t0) t0 = t;
                } else {
                    if (t < t0) visible = false;
                    else if (t < t1) t1 = t;
                }
            }
        }
        if (!visible) {
            open = false;
            continue;
        }
        const PixelPoint from{a.x + t0 * dx, a.y + t0 * dy};
        const PixelPoint to{a.x + t1 * dx, a.y + t1 * dy};
        if (!open || t0 > 0) {
            starts.push_back(pieces.size());
            pieces.push_back(from);
        }
        pieces.push_back(to);
        open = t1 >= 1;
    }
}

}  // namespace tolm::engine::detail
