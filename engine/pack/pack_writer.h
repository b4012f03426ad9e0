#pragma once

#include "engine/feature_set.h"

#include <string>

namespace tolm::engine {

// Writes a data pack of the features (format: docs/data-pack-format.md). The writer simplifies the
// geometry for each zoom band, drops road classes a band does not show, orders features along a
// Hilbert curve and builds a packed R-tree per layer and band.
//
// The pack is written beside the target and renamed over it, so a failed write never leaves a
// damaged pack where the engine would read it. Failures raise RuntimeError naming the file.
void write_pack(const FeatureSet& features, const std::string& path);

// The pack bytes without writing a file (for tests and tools that post-process them).
std::string build_pack(const FeatureSet& features);

}  // namespace tolm::engine
