#pragma once

#include "engine/feature_set.h"
#include "tools/tolm-import/progress.h"

#include <string>
#include <string_view>

namespace tolm::importer {

// GeoNames places as JSON: an array of objects with "name", the position as "lat" and "lng" (or
// "lon", or "loc": {"coordinates": [lon, lat]}), numbers or texts, the country in "country", the
// state in "admin1" (or "adminCode") and the county's FIPS number in "admin2"; "population" where
// given. Only places in the United States and its territories are kept.
std::size_t read_places(const std::string& path, engine::FeatureSet& out, Progress& progress);

// ZIP code centroids: a JSON object keyed by ZIP or an array, each entry with "zip", "latitude",
// "longitude", "city", "state" and optionally "country" and "county". The JavaScript module form
// ("exports.codes = {...}") is read too.
std::size_t read_zips(const std::string& path, engine::FeatureSet& out, Progress& progress);

// Telephone area codes: a JSON object keyed by the three-digit code, each entry with "city",
// "stateCode" and "location": {"latitude", "longitude"}. Codes without a position (toll-free)
// are skipped.
std::size_t read_area_codes(const std::string& path, engine::FeatureSet& out, Progress& progress);

// Points that lie outside the box of the state they name are misplaced in the source (an area code
// with its longitude off by a hundred degrees, a ZIP code whose longitude lost its sign): each is
// mirrored back when its longitude only lost its sign, otherwise moved to the place of the same
// name in that state, otherwise left out; always with a warning. Needs the states: those of the set,
// or of `known` (the product's own, when this import brings none).
void check_point_positions(engine::FeatureSet& set, Progress& progress, const engine::FeatureSet& known = {});

// Places read with a county FIPS number get the county's name once the counties are known (from the
// set, or from `known`).
void name_place_counties(engine::FeatureSet& set, const engine::FeatureSet& known = {});

namespace detail {
// The JSON value of a JavaScript module that assigns it ("exports.codes = {...};"), or the text
// itself when it already is JSON.
std::string_view json_of_script(std::string_view text);
}  // namespace detail

}  // namespace tolm::importer
