#pragma once

#include "engine/geo.h"

#include <vector>

namespace tolm::engine::detail {

// A feature's rings, each closed (its last point repeats its first).
using FeatureRings = std::vector<std::vector<LonLat>>;

// Points the simplification of a layer's areas keeps, so that a border two areas share comes out
// of it the same from either side, and the renderer finds it shared at every band:
// - the points where the area across a ring's edges changes (where three areas meet, or a border
//   meets the coast): each border between two of them is then simplified on its own;
// - the start of every ring, which the simplification keeps in its own ring and so must keep in
//   its neighbour's too.
// A point is marked in every ring that passes through its position. The result holds, for each
// feature, each ring, each point, whether it is kept.
std::vector<std::vector<std::vector<bool>>> border_pins(const std::vector<const FeatureRings*>& features);

}  // namespace tolm::engine::detail
