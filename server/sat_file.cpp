#include "server/sat_file.h"

#include "server/Tolm.h"
#include "server/text_file.h"

#include "platform/text.h"

#include <charconv>
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

std::string FormatSingle(float value) {
    if (value == 0 || value != value) return "0";
    char buffer[32];
    // Formatted from the float's exact value, as the runtime rounds a Single, never from a double
    // that merely passed through it; to_chars ignores the locale.
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::general, 7).ptr;
    std::string text(buffer, end);
    const auto e = text.find('e');
    if (e != std::string::npos) {
        // "1e-05" is written "1E-05" by the runtime.
        text[e] = 'E';
    }
    return CommaToPoint(text);
}

std::string FormatSatLine(float x1, float y1, float x2, float y2) {
    return FormatSingle(x1) + ", " + FormatSingle(y1) + ", " + FormatSingle(x2) + ", " + FormatSingle(y2);
}

}  // namespace tolm::server
