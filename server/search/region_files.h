#pragma once

#include "server/search/find_result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The state, county and mile-marker searches over the text files that ship beside the server
// library: "statell.dat", "countyll.dat" and "milemark.dat". The files are sorted by their first
// characters, so each search reads only as far as the lines that can match and stops after them.
// Every reader stops quietly at a missing file and skips lines it cannot use.
namespace tolm::server {

inline constexpr const char* k_state_file = "statell.dat";
inline constexpr const char* k_county_file = "countyll.dat";
inline constexpr const char* k_mile_marker_file = "milemark.dat";

// One state or county and its box in degrees.
struct typRegion {
    std::string strName;
    std::string strCode;
    double dblWest = 0;
    double dblEast = 0;
    double dblNorth = 0;
    double dblSouth = 0;
};

// The states whose code or name starts with the text (any case); an exact code ends the search
// with that state alone. `folder` is the folder of the server library.
std::vector<typRegion> FindStateRecords(const std::string& folder, std::string_view text);

// The counties whose name starts with the name before the first comma, in the state whose code
// follows it when one is given. Named "County, ST" in the file's own case.
std::vector<typRegion> FindCountyRecords(const std::string& folder, std::string_view text);

// Rows of the state and county searches: each box grown by a fiftieth of its size on every side.
void FindState(const std::string& folder, std::string_view text, const AddToListSink& add);
void FindCounty(const std::string& folder, std::string_view text, const AddToListSink& add);

// A marker found on a road: the line's coordinate and whether it is a latitude.
struct MileMarkerLine {
    double coordinate = 0;
    bool is_latitude = false;
};

// The position of a mile marker on a road of a state, interpolated within the first segment of
// "milemark.dat" that covers it. Nothing when the file, the road or the marker is not there, when
// the mile is not a number, or when the covering segment has no length.
std::optional<MileMarkerLine> LookUpMileMarker(const std::string& folder, std::string_view code,
                                               std::string_view road, std::string_view mile);

// Moves the box along the road so that the line runs through its middle; its size stays, and it
// stops at the poles and at the date line.
void CentreRegionOnLine(typRegion& region, double coordinate, bool is_latitude);

// The mile-marker search for "State,Road,Mile": a row per matching state whose road has the marker.
void FindMileMarker(const std::string& folder, std::string_view text, const AddToListSink& add);

}  // namespace tolm::server
