#pragma once

#include "engine/feature_set.h"

#include <string>

namespace tolm::engine {

// Writes a data pack of the features (format: docs/data-pack-format.md). The writer simplifies the
// geometry for each zoom band, drops road classes a band does not show, orders features along a
// Hilbert curve and builds a packed R-tree per layer and band.
//
// The pack is written with the platform's atomic replacement (beside the target, flushed, renamed
// over it), so a failed write never leaves a damaged pack where the engine would read it. Failures raise RuntimeError naming the file.
void write_pack(const FeatureSet& features, const std::string& path);

// Brings features to the form a pack gives them back in (PackView's read_features): positions
// rounded to the stored unit, points off the globe and repeated points removed, rings closed and
// wound (outer rings counter-clockwise), places ordered by population. Writing features in this
// form and reading them back gives equal features, which is how an import finds what a pack holds.
void to_stored_form(FeatureSet& features);

// The pack bytes without writing a file (for tests and tools that post-process them).
std::string build_pack(const FeatureSet& features);

}  // namespace tolm::engine
