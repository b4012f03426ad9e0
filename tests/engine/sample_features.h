#pragma once

#include "engine/feature_set.h"

namespace tolm::engine::testing {

// A small made-up region around 100 W, 40 N: two states side by side, four counties, a lake,
// a grid of streets of every class with names, two places and a few postal records.
FeatureSet sample_features();

// A closed square ring.
Ring square(double west, double south, double size);

}  // namespace tolm::engine::testing
