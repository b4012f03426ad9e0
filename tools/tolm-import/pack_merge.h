#pragma once

#include "engine/feature_set.h"

#include <cstddef>
#include <string>

namespace tolm::importer {

// What a merge kept and added, per kind of feature, for the import's progress line.
struct MergeCounts {
    std::size_t kept = 0;       // features the product already held
    std::size_t added = 0;      // new features
    std::size_t duplicate = 0;  // features of the import the product already held, not added again
    std::string summary() const;
};

// Adds to `existing` every feature of `added` that it does not hold yet, after its own features and
// in the order of `added`. Both must be in stored form (engine::to_stored_form), so that a feature
// read back from a pack equals the same feature read again from its source: importing a source a
// second time changes nothing, and the pack written from the result is byte-identical.
// Features are equal when every field and every stored point is.
MergeCounts merge_features(engine::FeatureSet& existing, engine::FeatureSet&& added);

}  // namespace tolm::importer
