#pragma once

#include <optional>
#include <string>

// The extent file beside an underlay image: the image's name with its last three characters
// replaced by "SAT", whose first line holds west, north, east, south in decimal degrees.
namespace tolm::server {

struct SatExtent {
    double west = 0;
    double north = 0;
    double east = 0;
    double south = 0;
};

// The extent file's name for an underlay image ("Map.bmp" gives "Map.SAT", "Map.jpeg" gives
// "Map.jSAT"); nothing for a name shorter than three characters.
std::optional<std::string> sat_path_for_underlay(const std::string& underlay_file);

// The first line of an extent file when it holds exactly four comma-separated fields, each read
// with the leading-number rule; nothing when the file is missing or unreadable or the line has
// another number of fields.
std::optional<SatExtent> read_sat_extent(const std::string& sat_path);

// A Single in the runtime's general number format: up to 7 significant digits, no thousands
// separators, "E" notation for very large and very small values, and "." as the decimal point
// whatever the user's locale. 51.50834 for 51 degrees 30.5 minutes held in single precision.
std::string FormatSingle(float value);

// The one line of an extent file as underlay creation writes it: longitude and latitude of the
// map's first corner, then of its second, separated by ", ".
std::string FormatSatLine(float x1, float y1, float x2, float y2);

}  // namespace tolm::server
