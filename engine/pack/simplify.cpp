#include "engine/pack/simplify.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tolm::engine::detail {

namespace {

double squared_segment_distance(const LonLat& p, const LonLat& a, const LonLat& b) noexcept {
    double dx = b.lon - a.lon;
    double dy = b.lat - a.lat;
    double t = 0;
    const double length2 = dx * dx + dy * dy;
    if (length2 > 0) t = std::clamp(((p.lon - a.lon) * dx + (p.lat - a.lat) * dy) / length2, 0.0, 1.0);
    dx = a.lon + t * dx - p.lon;
    dy = a.lat + t * dy - p.lat;
    return dx * dx + dy * dy;
}

}  // namespace

std::vector<LonLat> simplify_line(const std::vector<LonLat>& points, double tolerance) {
    return simplify_line(points, tolerance, std::vector<bool>(points.size(), false));
}

std::vector<LonLat> simplify_line(const std::vector<LonLat>& points, double tolerance, const std::vector<bool>& pinned) {
    if (points.size() <= 2 || tolerance <= 0) return points;
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    const double tolerance2 = tolerance * tolerance;
    // An explicit stack: country-scale rings have tens of thousands of points. Each span between
    // two pinned points is simplified on its own.
    std::vector<std::pair<std::size_t, std::size_t>> stack;
    std::size_t span_start = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (i + 1 < points.size() && !(i < pinned.size() && pinned[i])) continue;
        keep[i] = true;
        if (i - span_start > 1) stack.emplace_back(span_start, i);
        span_start = i;
    }
    // A span keeps the same points whichever way it runs: a border two areas share runs one way in
    // each, and is kept the same in both. So the chord is measured from its lesser end, and of two
    // points equally far the lesser is taken.
    auto less = [](const LonLat& a, const LonLat& b) noexcept { return a.lon < b.lon || (a.lon == b.lon && a.lat < b.lat); };
    while (!stack.empty()) {
        auto [first, last] = stack.back();
        stack.pop_back();
        double farthest = -1;
        std::size_t index = first;
        const bool closed = points[first] == points[last];
        const bool reversed = less(points[last], points[first]);
        const LonLat& from = reversed ? points[last] : points[first];
        const LonLat& to = reversed ? points[first] : points[last];
        for (std::size_t i = first + 1; i < last; ++i) {
            // A closed span has no chord; measure from its anchor point instead.
            const double d = closed ? squared_segment_distance(points[i], from, from) : squared_segment_distance(points[i], from, to);
            if (d > farthest || (d == farthest && less(points[i], points[index]))) {
                farthest = d;
                index = i;
            }
        }
        if (farthest > tolerance2) {
            keep[index] = true;
            if (index - first > 1) stack.emplace_back(first, index);
            if (last - index > 1) stack.emplace_back(index, last);
        }
    }
    std::vector<LonLat> result;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i]) result.push_back(points[i]);
    return result;
}

}  // namespace tolm::engine::detail
