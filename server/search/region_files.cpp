#include "server/search/region_files.h"

#include "common/path_text.h"
#include "platform/text.h"
#include "platform/variant.h"
#include "server/text_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tolm::server {

namespace {

// The data files are ANSI text read line by line; a line may end in CR LF, CR or LF.
class LineReader {
public:
    explicit LineReader(const std::string& path) : m_in(file_system_path(path), std::ios::binary) {}
    bool is_open() const { return m_in.is_open(); }
    bool next(std::string& line) {
        line.clear();
        if (!std::getline(m_in, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

private:
    std::ifstream m_in;
};

// First character, upper-cased, as a byte value compared by character code (an empty line gives 0).
unsigned char first_upper(std::string_view text) {
    return text.empty() ? 0 : static_cast<unsigned char>(to_upper_ascii(text.substr(0, 1))[0]);
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A region line: key, second field and the west, east, south and north edges.
bool region_from_line(std::string_view line, std::string& first, std::string& second, typRegion& region) {
    auto fields = split_fields(line, '\t');
    if (fields.size() < 6) return false;
    first = ansi_to_utf8(fields[0]);
    second = ansi_to_utf8(fields[1]);
    region.dblWest = parse_leading_number(fields[2]);
    region.dblEast = parse_leading_number(fields[3]);
    region.dblSouth = parse_leading_number(fields[4]);
    region.dblNorth = parse_leading_number(fields[5]);
    return true;
}

void add_grown(const typRegion& region, const AddToListSink& add) {
    const double dx = std::fabs(region.dblWest - region.dblEast) / 50;
    const double dy = std::fabs(region.dblNorth - region.dblSouth) / 50;
    add({region.strName, region.dblWest - dx, region.dblNorth + dy, false, region.dblEast + dx,
         region.dblSouth - dy, 0, false});
}

// A mile number as a whole number; halves go to the even neighbour, as the client rounds them.
long whole_mile(std::string_view text) {
    const double parsed = parse_leading_number(text);
    if (!std::isfinite(parsed) || std::fabs(parsed) > 1e9) return 0;
    return static_cast<long>(round_half_even(parsed));
}

}  // namespace

std::vector<typRegion> FindStateRecords(const std::string& folder, std::string_view text) {
    std::vector<typRegion> list;
    const std::string wanted = utf8_to_ansi(to_upper_ascii(text));
    if (wanted.empty()) return list;
    const unsigned char c = static_cast<unsigned char>(wanted[0]);
    LineReader file(join_path(folder, k_state_file));
    if (!file.is_open()) return list;
    std::string line;
    while (file.next(line)) {
        const unsigned char first = first_upper(line);
        if (c < first) break;
        if (first != c) continue;
        const auto fields = split_fields(to_upper_ascii(line), '\t');
        const bool exact = fields[0] == wanted;
        if (!exact && !(fields.size() > 1 && starts_with(fields[1], wanted)) && !starts_with(fields[0], wanted))
            continue;
        typRegion region;
        if (!region_from_line(line, region.strCode, region.strName, region)) continue;
        if (exact) {
            list.assign(1, region);
            break;
        }
        list.push_back(std::move(region));
    }
    return list;
}

std::vector<typRegion> FindCountyRecords(const std::string& folder, std::string_view text) {
    std::vector<typRegion> list;
    const std::string upper = utf8_to_ansi(to_upper_ascii(text));
    if (upper.empty()) return list;
    const unsigned char c = static_cast<unsigned char>(upper[0]);
    auto parts = split_fields(upper, ',');
    const std::string name = trim_blanks(parts[0]);
    const bool state_given = parts.size() > 1;
    const std::string state = state_given ? trim_blanks(parts[1]) : std::string{};

    LineReader file(join_path(folder, k_county_file));
    if (!file.is_open()) return list;
    std::string line;
    while (file.next(line)) {
        const unsigned char first = first_upper(line);
        if (c < first) break;
        if (first != c) continue;
        const auto fields = split_fields(to_upper_ascii(line), '\t');
        if (fields.size() < 2 || !starts_with(fields[0], name)) continue;
        if (state_given && fields[1] != state) continue;
        typRegion region;
        std::string county, code;
        if (!region_from_line(line, county, code, region)) continue;
        region.strName = county + ", " + code;
        list.push_back(std::move(region));
    }
    return list;
}

void FindState(const std::string& folder, std::string_view text, const AddToListSink& add) {
    for (const auto& region : FindStateRecords(folder, text)) add_grown(region, add);
}

void FindCounty(const std::string& folder, std::string_view text, const AddToListSink& add) {
    for (const auto& region : FindCountyRecords(folder, text)) add_grown(region, add);
}

std::optional<MileMarkerLine> LookUpMileMarker(const std::string& folder, std::string_view code,
                                               std::string_view road, std::string_view mile) {
    // No number at all ("TX,20,") names no marker.
    if (mile.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
    const long m = whole_mile(mile);
    const std::string wanted_code = utf8_to_ansi(code);
    const std::string wanted_road = utf8_to_ansi(road);
    LineReader file(join_path(folder, k_mile_marker_file));
    if (!file.is_open()) return std::nullopt;
    std::string line;
    while (file.next(line)) {
        const std::string upper = to_upper_ascii(line);
        const std::string_view head = std::string_view(upper).substr(0, 2);
        if (head == wanted_code) {
            const auto fields = split_fields(upper, ',');
            if (fields.size() != 6) continue;
            if (fields[0].size() < 2 || fields[0].substr(2) != wanted_road) continue;
            const long a = whole_mile(fields[2]);
            const long b = whole_mile(fields[4]);
            if (m < std::min(a, b) || m > std::max(a, b)) continue;
            // The first segment that covers the marker decides, even one without length.
            if (a == b) return std::nullopt;
            MileMarkerLine found;
            found.is_latitude = fields[1] == "NS";
            double p = parse_leading_number(fields[3]);
            double q = parse_leading_number(fields[5]);
            if (!found.is_latitude) {
                // East-west roads give degrees west; the map's longitudes there are negative.
                p = -p;
                q = -q;
            }
            found.coordinate = p + static_cast<double>(m - a) * (q - p) / static_cast<double>(b - a);
            return found;
        }
        if (head > std::string_view(wanted_code)) break;
    }
    return std::nullopt;
}

void CentreRegionOnLine(typRegion& region, double coordinate, bool is_latitude) {
    if (is_latitude) {
        const double h = (region.dblNorth - region.dblSouth) / 2;
        region.dblNorth = std::min(coordinate + h, 90.0);
        region.dblSouth = std::max(coordinate - h, -90.0);
    } else {
        const double h = (region.dblEast - region.dblWest) / 2;
        region.dblEast = std::min(coordinate + h, 180.0);
        region.dblWest = std::max(coordinate - h, -180.0);
    }
}

void FindMileMarker(const std::string& folder, std::string_view text, const AddToListSink& add) {
    auto fields = split_fields(to_upper_ascii(text), ',');
    fields.resize(std::max<std::size_t>(fields.size(), 3));
    const std::string state = trim_blanks(fields[0]);
    const std::string road = trim_blanks(fields[1]);
    const std::string mile = trim_blanks(fields[2]);
    const bool interstate = std::all_of(road.begin(), road.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    for (auto region : FindStateRecords(folder, state)) {
        const auto line = LookUpMileMarker(folder, region.strCode, road, mile);
        if (!line) continue;
        CentreRegionOnLine(region, line->coordinate, line->is_latitude);
        const std::string title =
            region.strCode + ", " + (interstate ? "IS-" : "") + road + ", Mile marker " + mile;
        add({title, region.dblWest, region.dblNorth, false, region.dblEast, region.dblSouth, line->coordinate,
             line->is_latitude});
    }
}

}  // namespace tolm::server
