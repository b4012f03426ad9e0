#include "engine/geo.h"

#include <cmath>
#include <algorithm>
#include <numbers>

namespace tolm::engine {

double distance_metres(const LonLat& a, const LonLat& b) noexcept {
    constexpr double earth_radius = 6371008.8;
    constexpr double to_radians = std::numbers::pi / 180.0;
    double dlat = (b.lat - a.lat) * to_radians;
    double dlon = (b.lon - a.lon) * to_radians;
    double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
               std::cos(a.lat * to_radians) * std::cos(b.lat * to_radians) * std::sin(dlon / 2) * std::sin(dlon / 2);
    return 2 * earth_radius * std::asin(std::min(1.0, std::sqrt(h)));
}

}  // namespace tolm::engine
