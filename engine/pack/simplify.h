#pragma once

#include "engine/geo.h"

#include <vector>

namespace tolm::engine::detail {

// Douglas-Peucker simplification keeping every point farther than `tolerance` degrees from the
// simplified line. The first and last points are always kept, so a closed ring stays closed.
std::vector<LonLat> simplify_line(const std::vector<LonLat>& points, double tolerance);

}  // namespace tolm::engine::detail
