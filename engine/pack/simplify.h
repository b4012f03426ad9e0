#pragma once

#include "engine/geo.h"

#include <vector>

namespace tolm::engine::detail {

// Douglas-Peucker simplification keeping every point farther than `tolerance` degrees from the
// simplified line. The first and last points are always kept, so a closed ring stays closed.
std::vector<LonLat> simplify_line(const std::vector<LonLat>& points, double tolerance);

// The same, with every point whose `pinned` entry is true kept as well (the line is simplified
// between them). `pinned` has one entry per point.
std::vector<LonLat> simplify_line(const std::vector<LonLat>& points, double tolerance, const std::vector<bool>& pinned);

}  // namespace tolm::engine::detail
