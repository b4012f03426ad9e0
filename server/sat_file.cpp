#include "server/sat_file.h"

#include "server/text_file.h"

#include "platform/text.h"

#include <string_view>
#include <vector>

namespace tolm::server {

std::optional<std::string> sat_path_for_underlay(const std::string& underlay_file) {
    if (underlay_file.size() < 3) return std::nullopt;
    return underlay_file.substr(0, underlay_file.size() - 3) + "SAT";
}

std::optional<SatExtent> read_sat_extent(const std::string& sat_path) {
    std::vector<std::string> lines;
    try {
        lines = read_text_lines(sat_path);
    } catch (...) {
        return std::nullopt;
    }
    // An empty file reads as one empty line, which has one field.
    const std::string_view first = lines.empty() ? std::string_view() : std::string_view(lines.front());
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = first.find(',', start);
        fields.push_back(first.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (fields.size() != 4) return std::nullopt;
    return SatExtent{parse_leading_number(fields[0]), parse_leading_number(fields[1]), parse_leading_number(fields[2]),
                     parse_leading_number(fields[3])};
}

}  // namespace tolm::server
