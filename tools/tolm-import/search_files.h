#pragma once

#include "engine/feature_set.h"
#include "engine/geo.h"
#include "tools/tolm-import/import_data.h"
#include "tools/tolm-import/progress.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolm::importer {

// One line of "statell.dat" or "countyll.dat": the key the server's search compares (state code,
// or county name), the second field (state name, or state code) and the box.
struct RegionLine {
    std::string key;
    std::string second;
    engine::Extent box;
};

// The lines of the two search files from the state and county areas. A county whose shape is
// missing from the boundary data (the atlas has one) gets a small box round the place of the same
// name in its state when the places are known; otherwise it is left out with a warning. Where a
// county and an independent city of one state share a name, the city's row is named
// "Baltimore (city)"; rows that would still read the same get their county number.
std::vector<RegionLine> state_lines(const engine::FeatureSet& set);
std::vector<RegionLine> county_lines(const ImportData& data, Progress& progress);

// The bytes of a search file: the server scans these sequentially and stops at the first line whose
// upper-cased first character sorts after the one it looks for, so the lines are ordered by that
// character (in the ANSI code page) and then by the whole line. Fields are separated by tabs, the
// box is west, east, south, north; ANSI text, CR LF line ends.
std::string region_file_bytes(std::vector<RegionLine> lines);

// One road segment of "milemark.dat".
struct MileSegment {
    std::string state_code;  // two upper-case letters
    std::string road;        // "20", "35E"
    bool north_south = false;
    long first_mile = 0;
    double first_coordinate = 0;  // latitude (north-south) or degrees west (east-west)
    long second_mile = 0;
    double second_coordinate = 0;
};

// Mile markers from a CSV file with the columns state, road, direction (NS or EW), first mile,
// first coordinate, second mile, second coordinate; a header line and blank lines are allowed.
// East-west coordinates are longitudes: a negative (western) longitude is written as positive
// degrees west, as the server expects. Bad rows are skipped with a warning naming the line.
std::vector<MileSegment> read_mile_marker_csv(const std::string& path, Progress& progress);

// The bytes of "milemark.dat": six comma-separated fields, lines in ascending order of the state
// code (the server stops scanning after its state), the order of the input kept within a state.
std::string mile_marker_file_bytes(std::vector<MileSegment> segments);

// The segments of an existing "milemark.dat" (named `name` in messages). A line that is not one the
// importer writes raises ImportError: a file the importer cannot read back is never replaced.
std::vector<MileSegment> parse_mile_marker_file(std::string_view bytes, const std::string& name);

// What a later import of mile markers makes of the file: the rows it brings, and every earlier row
// of a stretch it does not bring again (the same state, road, direction and end miles).
std::vector<MileSegment> merge_mile_segments(const std::vector<MileSegment>& before,
                                             const std::vector<MileSegment>& added);

}  // namespace tolm::importer
