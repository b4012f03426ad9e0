#include "tools/tolm-import/search_files.h"

#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"
#include "engine/us_states.h"

#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

namespace tolm::importer {

namespace {

// Upper case of one Windows-1252 character, as the client's UCase gives it.
unsigned char upper_ansi(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// Tabs and line breaks inside a name would break the line apart.
std::string field_safe(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

std::vector<std::string> split_csv_line(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back().push_back(line[++i]);
            else if (c == '"') quoted = false;
            else fields.back().push_back(c);
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back().push_back(c);
        }
    }
    for (auto& field : fields) field = trim_blanks(field);
    return fields;
}

// Census county numbers from 500 up are independent cities (Baltimore, St. Louis, the cities of
// Virginia); below, counties, parishes and boroughs.
bool is_independent_city(const std::string& fips) {
    return fips.size() == 5 && fips.compare(2, 3, "500") >= 0;
}

// Rows that would read the same in the county search ("Baltimore, MD" for the county and for the
// city) are told apart by their kind; only those rows, so that every other name stays as the
// Census writes it. `codes` holds each line's county number.
void name_alike_counties(std::vector<RegionLine>& lines, const std::vector<std::string>& codes) {
    std::map<std::string, std::vector<std::size_t>> by_title;
    for (std::size_t i = 0; i < lines.size(); ++i) by_title[to_upper_ascii(lines[i].key) + "|" + lines[i].second].push_back(i);
    for (const auto& [title, rows] : by_title) {
        bool alike = false;
        for (std::size_t row : rows) alike = alike || codes[row] != codes[rows.front()];
        if (!alike) continue;
        std::map<std::string, std::size_t> kinds;  // rows still alike once the kind is added
        for (std::size_t row : rows) {
            if (is_independent_city(codes[row])) lines[row].key += " (city)";
            ++kinds[lines[row].key + "|" + codes[row]];
        }
        std::map<std::string, std::size_t> keys;
        for (std::size_t row : rows) ++keys[lines[row].key];
        for (std::size_t row : rows)
            if (keys[lines[row].key] > 1 && kinds[lines[row].key + "|" + codes[row]] < keys[lines[row].key] && !codes[row].empty())
                lines[row].key += " (" + codes[row] + ")";
    }
}

}  // namespace

std::vector<RegionLine> state_lines(const engine::FeatureSet& set) {
    // A state may come in several features (parts from different files); their boxes are merged.
    std::map<std::string, RegionLine> by_code;
    for (const auto& area : set.areas) {
        if (area.kind != engine::AreaKind::state || area.state_code.empty()) continue;
        auto box = extent_of(area.rings);
        if (!box) continue;
        auto [it, fresh] = by_code.try_emplace(area.state_code, RegionLine{area.state_code, area.name, *box});
        if (!fresh) {
            it->second.box.west = std::min(it->second.box.west, box->west);
            it->second.box.east = std::max(it->second.box.east, box->east);
            it->second.box.south = std::min(it->second.box.south, box->south);
            it->second.box.north = std::max(it->second.box.north, box->north);
        }
    }
    std::vector<RegionLine> lines;
    for (auto& [code, line] : by_code) lines.push_back(std::move(line));
    return lines;
}

std::vector<RegionLine> county_lines(const ImportData& data, Progress& progress) {
    const engine::FeatureSet& set = data.features;
    std::unordered_map<std::string, engine::LonLat> places;
    for (const auto& place : set.places) places.emplace(to_upper_ascii(place.name) + "|" + place.state_code, place.position);
    std::vector<RegionLine> lines;
    std::vector<std::string> codes;
    for (const auto& area : set.areas) {
        if (area.kind != engine::AreaKind::county || area.state_code.empty() || area.name.empty()) continue;
        if (auto box = extent_of(area.rings)) {
            lines.push_back({area.name, area.state_code, *box});
            codes.push_back(area.code);
        }
    }
    // Counties the boundary reader skipped for want of a shape: the reader warned already; here the
    // search still finds them near their namesake place.
    for (const auto& missing : data.unshaped) {
        if (missing.kind != engine::AreaKind::county || missing.state_code.empty()) continue;
        auto place = places.find(to_upper_ascii(missing.name) + "|" + missing.state_code);
        if (place == places.end()) {
            progress.warn("county \"" + missing.name + ", " + missing.state_code + "\" has no shape and no place of its name; left out of the county search");
            continue;
        }
        constexpr double half = 0.05;
        const engine::LonLat& p = place->second;
        lines.push_back({missing.name, missing.state_code, {p.lon - half, p.lon + half, p.lat - half, p.lat + half}});
        codes.push_back(missing.code);
    }
    name_alike_counties(lines, codes);
    return lines;
}

std::string region_file_bytes(std::vector<RegionLine> lines) {
    struct Encoded {
        std::string text;
        unsigned char first;
    };
    std::vector<Encoded> encoded;
    encoded.reserve(lines.size());
    for (const auto& line : lines) {
        std::string text = utf8_to_ansi(field_safe(line.key)) + '\t' + utf8_to_ansi(field_safe(line.second)) + '\t' +
                           number_text(line.box.west) + '\t' + number_text(line.box.east) + '\t' +
                           number_text(line.box.south) + '\t' + number_text(line.box.north);
        unsigned char first = text.empty() ? 0 : upper_ansi(static_cast<unsigned char>(text[0]));
        encoded.push_back({std::move(text), first});
    }
    std::stable_sort(encoded.begin(), encoded.end(), [](const Encoded& a, const Encoded& b) {
        if (a.first != b.first) return a.first < b.first;
        return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    std::string bytes;
    for (const auto& line : encoded) {
        bytes += line.text;
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<MileSegment> read_mile_marker_csv(const std::string& path, Progress& progress) {
    std::string text = read_whole_file(path);
    std::vector<MileSegment> segments;
    std::size_t line_number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++line_number;
        if (trim_blanks(line).empty() || trim_blanks(line) == "\r") continue;
        auto fields = split_csv_line(line);
        auto bad = [&](const std::string& why) {
            progress.warn(path + " line " + std::to_string(line_number) + ": " + why + "; skipped");
        };
        double first_mile = 0, first_coordinate = 0, second_mile = 0, second_coordinate = 0;
        bool numbers = fields.size() == 7 && parse_whole_number(fields[3], first_mile) &&
                       parse_whole_number(fields[4], first_coordinate) && parse_whole_number(fields[5], second_mile) &&
                       parse_whole_number(fields[6], second_coordinate);
        if (!numbers) {
            // The first line may name the columns.
            if (line_number != 1) bad("expected state, road, direction and four numbers");
            continue;
        }
        MileSegment segment;
        segment.state_code = to_upper_ascii(fields[0]);
        segment.road = to_upper_ascii(fields[1]);
        std::string direction = to_upper_ascii(fields[2]);
        if (!engine::state_by_code(segment.state_code)) {
            bad("\"" + fields[0] + "\" is not a state code");
            continue;
        }
        if (segment.road.empty() || segment.road.find_first_of(", \t") != std::string::npos) {
            bad("the road number is empty or holds a blank");
            continue;
        }
        if (direction != "NS" && direction != "EW") {
            bad("the direction must be NS or EW");
            continue;
        }
        segment.north_south = direction == "NS";
        segment.first_mile = std::lround(first_mile);
        segment.second_mile = std::lround(second_mile);
        if (segment.first_mile == segment.second_mile) {
            bad("both ends carry the same mile marker");
            continue;
        }
        if (!segment.north_south) {
            first_coordinate = std::fabs(first_coordinate);
            second_coordinate = std::fabs(second_coordinate);
        }
        double limit = segment.north_south ? 90.0 : 180.0;
        if (std::fabs(first_coordinate) > limit || std::fabs(second_coordinate) > limit) {
            bad("a coordinate is off the globe");
            continue;
        }
        segment.first_coordinate = first_coordinate;
        segment.second_coordinate = second_coordinate;
        segments.push_back(std::move(segment));
    }
    return segments;
}

std::string mile_marker_file_bytes(std::vector<MileSegment> segments) {
    std::stable_sort(segments.begin(), segments.end(),
                     [](const MileSegment& a, const MileSegment& b) { return a.state_code < b.state_code; });
    std::string bytes;
    for (const auto& s : segments) {
        bytes += s.state_code + s.road + ',' + (s.north_south ? "NS" : "EW") + ',' + std::to_string(s.first_mile) + ',' +
                 number_text(s.first_coordinate) + ',' + std::to_string(s.second_mile) + ',' +
                 number_text(s.second_coordinate) + "\r\n";
    }
    return bytes;
}

std::vector<MileSegment> parse_mile_marker_file(std::string_view bytes, const std::string& name) {
    std::vector<MileSegment> segments;
    std::size_t line_number = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string line(bytes.substr(start, end - start));
        start = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (trim_blanks(line).empty()) continue;
        const auto fields = split_csv_line(line);
        double numbers[4] = {};
        bool whole = fields.size() == 6 && fields[0].size() > 2 && (fields[1] == "NS" || fields[1] == "EW");
        for (int i = 0; whole && i < 4; ++i) whole = parse_whole_number(fields[2 + i], numbers[i]);
        if (!whole)
            throw ImportError("the existing \"" + name + "\" cannot be read (line " + std::to_string(line_number) +
                              "): it is kept as it is and nothing was imported into it");
        MileSegment segment;
        segment.state_code = fields[0].substr(0, 2);
        segment.road = fields[0].substr(2);
        segment.north_south = fields[1] == "NS";
        segment.first_mile = std::lround(numbers[0]);
        segment.first_coordinate = numbers[1];
        segment.second_mile = std::lround(numbers[2]);
        segment.second_coordinate = numbers[3];
        segments.push_back(std::move(segment));
    }
    return segments;
}

std::vector<MileSegment> merge_mile_segments(const std::vector<MileSegment>& before,
                                             const std::vector<MileSegment>& added) {
    auto same_stretch = [](const MileSegment& a, const MileSegment& b) {
        return a.state_code == b.state_code && a.road == b.road && a.north_south == b.north_south &&
               a.first_mile == b.first_mile && a.second_mile == b.second_mile;
    };
    // The new rows come first within their state, where the server's first match finds them.
    std::vector<MileSegment> merged = added;
    for (const MileSegment& old : before) {
        const bool replaced = std::any_of(added.begin(), added.end(),
                                          [&](const MileSegment& row) { return same_stretch(old, row); });
        if (!replaced) merged.push_back(old);
    }
    return merged;
}

}  // namespace tolm::importer
