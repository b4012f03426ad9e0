#include "tools/tolm-import/geometry_repair.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tolm::importer {

namespace {

bool on_globe(const engine::LonLat& p) noexcept {
    return std::isfinite(p.lon) && std::isfinite(p.lat) && p.lon >= -180.0 && p.lon <= 180.0 && p.lat >= -90.0 &&
           p.lat <= 90.0;
}

struct Span {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void add(double v) noexcept {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool empty() const noexcept { return low > high; }
};

}  // namespace

double signed_area(const engine::Ring& ring) noexcept {
    double sum = 0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i)
        sum += ring[i].lon * ring[i + 1].lat - ring[i + 1].lon * ring[i].lat;
    if (!ring.empty() && !(ring.front() == ring.back()))
        sum += ring.back().lon * ring.front().lat - ring.front().lon * ring.back().lat;
    return sum;
}

engine::Ring clean_ring(const engine::Ring& ring) {
    engine::Ring out;
    out.reserve(ring.size() + 1);
    for (const auto& p : ring) {
        if (!on_globe(p)) continue;
        if (!out.empty() && out.back() == p) continue;
        out.push_back(p);
    }
    while (out.size() > 1 && out.front() == out.back()) out.pop_back();
    if (out.size() < 3) return {};
    out.push_back(out.front());
    if (signed_area(out) == 0.0) return {};
    return out;
}

engine::Polyline clean_polyline(const engine::Polyline& line) {
    engine::Polyline out;
    out.reserve(line.size());
    for (const auto& p : line) {
        if (!on_globe(p)) continue;
        if (!out.empty() && out.back() == p) continue;
        out.push_back(p);
    }
    if (out.size() < 2) return {};
    return out;
}

void orient_ring(engine::Ring& ring, bool counter_clockwise) {
    if ((signed_area(ring) > 0) != counter_clockwise) std::reverse(ring.begin(), ring.end());
}

std::optional<engine::Extent> extent_of_points(const std::vector<engine::LonLat>& points) {
    Span lat, lon, shifted;
    for (const auto& p : points) {
        if (!on_globe(p)) continue;
        lat.add(p.lat);
        lon.add(p.lon);
        shifted.add(p.lon > 0 ? p.lon - 360.0 : p.lon);
    }
    if (lat.empty()) return std::nullopt;
    engine::Extent box{lon.low, lon.high, lat.low, lat.high};
    if (lon.high - lon.low > 180.0 && shifted.high - shifted.low < lon.high - lon.low) {
        box.west = std::max(-180.0, shifted.low);
        box.east = shifted.high;
    }
    return box;
}

std::optional<engine::Extent> extent_of(const std::vector<engine::Ring>& rings) {
    std::vector<engine::LonLat> points;
    for (const auto& ring : rings) points.insert(points.end(), ring.begin(), ring.end());
    return extent_of_points(points);
}

}  // namespace tolm::importer
