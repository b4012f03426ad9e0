#pragma once

#include "engine/geo.h"

#include <cstdint>
#include <string>
#include <vector>

// Map features as the importer gathers them and the pack writer stores them. Everything is in
// decimal degrees, longitude first. Text is UTF-8.
namespace tolm::engine {

using Ring = std::vector<LonLat>;
using Polyline = std::vector<LonLat>;

// land: land outside the nation (neighbouring countries, islands), painted plain so that the sea
// covers only the sea.
enum class AreaKind : std::uint8_t { state, county, minor_civil_division, place, water, land };

// A boundary area: outer rings and holes (holes wind opposite to outer rings; the writer normalises).
struct AreaFeature {
    AreaKind kind = AreaKind::state;
    std::string name;
    std::string code;        // FIPS code (state "48", county "48453"), empty where none
    std::string state_code;  // two-letter postal abbreviation of the state it lies in, where known
    std::vector<Ring> rings;
};

enum class RoadClass : std::uint8_t { interstate, highway, major, local, ramp };

// The finer class a source may give beside the road class (OpenStreetMap's highway values, TIGER's
// feature classes); unknown where the source gives none, and the road class then decides the look.
enum class RoadKind : std::uint8_t { unknown, motorway, trunk, primary, secondary, tertiary, minor, service, track };
inline constexpr RoadKind k_last_road_kind = RoadKind::track;

// Where a road runs: over the roads beside it, with them, or under them.
enum class RoadLevel : std::uint8_t { ground, bridge, tunnel };

struct RoadFeature {
    RoadClass road_class = RoadClass::local;
    std::string name;
    std::string ref;  // route numbers ("I 5", "US 30", several as "I 670;US 62"), empty where none
    bool oneway = false;  // one way in the direction of the points
    Polyline points;
    RoadKind kind = RoadKind::unknown;
    RoadLevel level = RoadLevel::ground;
    bool roundabout = false;
};

// A named settlement with its importance for labelling.
struct PlaceFeature {
    std::string name;
    std::string state_code;
    std::string county;
    LonLat position;
    std::int64_t population = 0;
};

// One side-aware TIGER address range along a street segment.
struct AddressRangeFeature {
    std::string street;        // full street name as TIGER gives it ("N Main St")
    std::string from_number;   // house number at the first point of the line
    std::string to_number;     // house number at the last point of the line
    bool right_side = true;    // which side of the line (looking along it) the numbers lie on
    char parity = 'B';         // 'O' odd, 'E' even, 'B' both, 'M' mixed
    std::string zip;
    std::string place;
    std::string state_code;
    Polyline points;
};

struct ZipFeature {
    std::string zip;
    std::string place;
    std::string state_code;
    std::string county;
    LonLat position;
};

// Telephone area code, or area code plus exchange (npa_nxx of 3 or 6 digits).
struct PhoneAreaFeature {
    std::string npa_nxx;
    std::string place;
    std::string county;
    std::string state_code;
    LonLat position;
};

struct FeatureSet {
    std::vector<AreaFeature> areas;
    std::vector<RoadFeature> roads;
    std::vector<PlaceFeature> places;
    std::vector<AddressRangeFeature> address_ranges;
    std::vector<ZipFeature> zips;
    std::vector<PhoneAreaFeature> phone_areas;
};

}  // namespace tolm::engine
