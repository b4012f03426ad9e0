#include "engine/sample_features.h"

#include <string>

namespace tolm::engine::testing {

Ring square(double west, double south, double size) {
    return {{west, south}, {west + size, south}, {west + size, south + size}, {west, south + size}, {west, south}};
}

FeatureSet sample_features() {
    FeatureSet set;
    set.areas.push_back({AreaKind::state, "Westland", "91", "WL", {square(-102, 38, 2)}});
    set.areas.push_back({AreaKind::state, "Eastland", "92", "EL", {square(-100, 38, 2)}});
    set.areas.push_back({AreaKind::county, "Alpha", "91001", "WL", {square(-102, 38, 1)}});
    set.areas.push_back({AreaKind::county, "Beta", "91002", "WL", {square(-101, 38, 1)}});
    set.areas.push_back({AreaKind::county, "Gamma", "92001", "EL", {square(-100, 39, 1)}});
    // A county with a hole (an independent city inside it).
    set.areas.push_back({AreaKind::county, "Delta", "92002", "EL", {square(-99, 38, 1), square(-98.6, 38.4, 0.2)}});
    set.areas.push_back({AreaKind::water, "Round Lake", "", "EL", {square(-99.9, 38.1, 0.3)}});
    set.areas.push_back({AreaKind::place, "Midtown", "", "WL", {square(-100.2, 39.9, 0.15)}});

    const RoadClass classes[] = {RoadClass::interstate, RoadClass::highway, RoadClass::major, RoadClass::local, RoadClass::ramp};
    for (int i = 0; i < 10; ++i) {
        const double lat = 39.9 + i * 0.01;
        set.roads.push_back({classes[i % 5], "Street " + std::to_string(i), i % 5 == 0 ? "I 99" : "", i == 3,
                             {{-100.2, lat}, {-100.1, lat}, {-100.0, lat + 0.001}}});
    }
    set.places.push_back({"Smallville", "WL", "Alpha", {-101.5, 38.5}, 1200});
    set.places.push_back({"Midtown", "WL", "Beta", {-100.1, 39.95}, 250000});
    set.address_ranges.push_back({"N Main St", "100", "198", true, 'E', "59001", "Midtown", "WL", {{-100.2, 39.9}, {-100.1, 39.9}}});
    set.zips.push_back({"59001", "Midtown", "WL", "Beta", {-100.1, 39.95}});
    set.phone_areas.push_back({"555", "Midtown", "Beta", "WL", {-100.1, 39.95}});
    return set;
}

}  // namespace tolm::engine::testing
