#pragma once

#include "engine/feature_set.h"
#include "engine/geo.h"

#include <optional>
#include <vector>

namespace tolm::importer {

// Twice the signed area in square degrees (positive when the ring runs counter-clockwise).
double signed_area(const engine::Ring& ring) noexcept;

// A ring fit for the pack: no points off the globe or not-a-number, no repeated consecutive points,
// closed, at least three distinct corners and some area. Returns an empty ring otherwise, which the
// caller drops. Census rings quantised to a grid collapse to slivers this way.
engine::Ring clean_ring(const engine::Ring& ring);

// The same for lines: consecutive duplicates and points off the globe removed, at least two points.
engine::Polyline clean_polyline(const engine::Polyline& line);

// Turns the ring to run counter-clockwise (outer rings) or clockwise (holes).
void orient_ring(engine::Ring& ring, bool counter_clockwise);

// The box around the rings. An area whose parts lie on both sides of the date line (the Aleutians)
// would otherwise get a box round the whole globe: its parts east of 180 degrees are counted at
// their longitude minus 360 when that gives the narrower box, and the box is cut off at -180, so
// that a search for it shows the American side rather than the whole world.
std::optional<engine::Extent> extent_of(const std::vector<engine::Ring>& rings);

// The same rule for a set of points.
std::optional<engine::Extent> extent_of_points(const std::vector<engine::LonLat>& points);

}  // namespace tolm::importer
