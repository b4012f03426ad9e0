#include "server/Tolm.h"

#include "server/text_file.h"

#include "ui/forms/dialogs.h"
#include "ui/forms/screen.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tolm::server {

namespace {

const char* const k_source = "Tolm";

// Degrees and minutes of one coordinate as the INF files write them: degrees with at least
// `degree_digits` digits, the minutes rounded to two decimals. Minutes that round to 60.00 stay
// 60.00, as the client's own files have them; degrees are not carried.
std::string degrees_and_minutes(double value, int degree_digits, char letter) {
    const double magnitude = std::fabs(value);
    const double whole = std::floor(magnitude);
    if (!(whole <= 32767.0)) raise_runtime_error(runtime_errors::overflow, k_source);
    const double minutes = (magnitude - whole) * 60.0;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%0*d.%05.2f%c", degree_digits, static_cast<int>(whole), minutes, letter);
    return buffer;
}

}  // namespace

void FormatPosition(double lat, double lon, std::string& lat_text, std::string& lon_text) {
    const char lon_letter = lon >= 0 ? 'E' : 'W';
    const char lat_letter = lat >= 0 ? 'N' : 'S';
    // Both are made before either output is touched, so an overflow leaves the outputs alone.
    std::string lon_result = degrees_and_minutes(lon, 3, lon_letter);
    std::string lat_result = degrees_and_minutes(lat, 2, lat_letter);
    lat_text = std::move(lat_result);
    lon_text = std::move(lon_result);
}

float ParseCoordinate(std::string_view text) {
    // The client's reader takes the empty text past its hemisphere test and then fails to cut the
    // last character off it; callers rely on that error to reject "47.36.27N," and the like.
    if (text.empty()) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
    const char hemisphere = text.back();
    if (hemisphere != 'N' && hemisphere != 'S' && hemisphere != 'E' && hemisphere != 'W') return 0.0F;
    const std::string_view body = text.substr(0, text.size() - 1);
    const auto point = body.find('.');
    double value = 0;
    if (point != std::string_view::npos)
        value = parse_leading_number(body.substr(0, point)) + parse_leading_number(body.substr(point + 1)) / 60.0;
    else
        value = parse_leading_number(body);
    if (hemisphere == 'W' || hemisphere == 'S') value = -value;
    return static_cast<float>(value);
}

bool ParseLatLonPair(std::string_view text, float& x, float& y) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    std::string a = trim_blanks(text.substr(0, comma));
    std::string b = trim_blanks(text.substr(comma + 1));
    if (!a.empty() && (a.back() == 'S' || a.back() == 'N')) std::swap(a, b);
    // Both are parsed before either output changes: a failing latitude leaves x as it was too.
    const float lon = ParseCoordinate(a);
    const float lat = ParseCoordinate(b);
    x = lon;
    y = lat;
    return true;
}

bool ReadInfCorners(const std::string& path, float& x1, float& y1, float& x2, float& y2) {
    try {
        int corners = 0;
        for (const std::string& raw : read_text_lines(path)) {
            if (!raw.empty() && raw.front() == ';') continue;
            std::string line = to_upper_ascii(trim_blanks(raw));
            const auto comma = line.find(',');
            if (comma != std::string::npos)
                line = trim_blanks(std::string_view(line).substr(0, comma)) + "," +
                       trim_blanks(std::string_view(line).substr(comma + 1));
            const bool parsed = corners == 0 ? ParseLatLonPair(line, x1, y1) : ParseLatLonPair(line, x2, y2);
            if (!parsed) return false;
            if (++corners == 2) return true;
        }
        return false;  // the file ended before its second corner
    } catch (...) {
        return false;
    }
}

std::string CommaToPoint(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c == ',') c = '.';
    return result;
}

bool FileExists(const std::string& path) {
    try {
        if (path.empty()) return false;
        std::error_code ec;
        const auto status = std::filesystem::status(file_system_path(path), ec);
        return !ec && std::filesystem::exists(status);
    } catch (...) {
        return false;
    }
}

bool IsBetween(std::int16_t value, std::int16_t bound1, std::int16_t bound2) {
    const auto low = bound1 < bound2 ? bound1 : bound2;
    const auto high = bound1 < bound2 ? bound2 : bound1;
    return value >= low && value <= high;
}

bool IsAllDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsDigitOrControlKey(std::int16_t key_code) { return (key_code >= '0' && key_code <= '9') || key_code < 14; }

std::int16_t UpperCaseKey(std::int16_t key_code) {
    if (key_code >= 'a' && key_code <= 'z') return static_cast<std::int16_t>(key_code - ('a' - 'A'));
    return key_code;
}

void SelectAllInActiveControl() { forms::select_all_in_active_control(); }

std::string PickFile(std::int32_t owner_window, const std::string& default_extension, const std::string& file_pattern,
                     const std::string& initial_folder, const std::string& filter, const std::string& title,
                     std::int32_t flags) {
    return forms::pick_file(static_cast<platform::WindowHandle>(static_cast<std::uint32_t>(owner_window)),
                            default_extension, file_pattern, initial_folder, filter, title, flags);
}

}  // namespace tolm::server
