#pragma once

#include <vector>

namespace tolm::engine::detail {

struct PixelPoint {
    double x;
    double y;
};

struct PixelBox {
    double left;
    double top;
    double right;
    double bottom;
};

// Clips a closed ring to the box (Sutherland-Hodgman). Painting libraries keep coordinates in fixed
// point, so a state outline seen at street zoom must be cut down before it reaches them. `scratch`
// and `out` are reused between calls.
void clip_ring(const std::vector<PixelPoint>& ring, const PixelBox& box, std::vector<PixelPoint>& out,
               std::vector<PixelPoint>& scratch);

// Clips a line to the box; each visible piece is appended to `pieces` as a run of points, with
// `starts` marking where each piece begins.
void clip_line(const std::vector<PixelPoint>& line, const PixelBox& box, std::vector<PixelPoint>& pieces,
               std::vector<std::size_t>& starts);

}  // namespace tolm::engine::detail
