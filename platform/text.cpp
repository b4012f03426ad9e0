#include "platform/text.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <cstdint>

namespace tolm {

namespace {

bool is_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Parses a decimal number at position i (blanks inside it are skipped, as Val does).
// Returns the value and the number of digits seen.
double scan_decimal(std::string_view t, std::size_t& i, int& digits) noexcept {
    // The digits are gathered without the blanks and converted once by from_chars, which rounds
    // correctly; summing digit by digit and scaling by a power of ten does not, and its last bits
    // differ between the platforms' pow functions.
    auto skip = [&] { while (i < t.size() && is_blank(t[i])) ++i; };
    skip();
    std::string number;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-') number.push_back('-');
        ++i;
        skip();
    }
    digits = 0;
    auto take_digits = [&] {
        while (i < t.size()) {
            if (std::isdigit(static_cast<unsigned char>(t[i]))) {
                number.push_back(t[i]);
                ++digits;
                ++i;
            } else if (is_blank(t[i])) {
                ++i;
            } else {
                break;
            }
        }
    };
    take_digits();
    if (i < t.size() && t[i] == '.') {
        number.push_back('.');
        ++i;
        take_digits();
    }
    if (digits == 0) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::size_t j = i + 1;
        bool exp_negative = false;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) {
            exp_negative = t[j] == '-';
            ++j;
        }
        if (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) {
            int e = 0;
            while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) {
                if (e < 10000) e = e * 10 + (t[j] - '0');
                ++j;
            }
            number += exp_negative ? "e-" : "e";
            number += std::to_string(e);
            i = j;
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too large is infinite and too small is zero, with the number's sign.
        const bool negative = number.front() == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        value = tiny ? 0.0 : HUGE_VAL;
        if (negative) value = -value;
    }
    return value;
}

}  // namespace

double parse_leading_number(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    if (i + 1 < text.size() && text[i] == '&') {
        char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
        int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
        if (base != 0) {
            std::uint32_t value = 0;
            for (std::size_t j = i + 2; j < text.size(); ++j) {
                int d = std::isdigit(static_cast<unsigned char>(text[j])) ? text[j] - '0'
                        : (base == 16 && std::isxdigit(static_cast<unsigned char>(text[j])))
                            ? std::toupper(static_cast<unsigned char>(text[j])) - 'A' + 10
                            : -1;
                if (d < 0 || d >= base) break;
                value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
            }
            // Hexadecimal literals that fit 16 bits are Integers, and &HFFFF is -1, as the runtime reads them.
            if (value <= 0xFFFF) return static_cast<std::int16_t>(value);
            return static_cast<std::int32_t>(value);
        }
    }
    int digits = 0;
    double value = scan_decimal(text, i, digits);
    return digits > 0 ? value : 0;
}

bool parse_whole_number(std::string_view text, double& out) noexcept {
    std::string trimmed = trim_blanks(text);
    if (trimmed.empty()) return false;
    std::size_t i = 0;
    int digits = 0;
    // Blanks inside a number are not allowed here; only around it.
    for (char c : trimmed)
        if (is_blank(c)) return false;
    double value = scan_decimal(trimmed, i, digits);
    if (digits == 0 || i != trimmed.size()) return false;
    out = value;
    return true;
}

std::vector<std::string_view> split_text(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        fields.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    fields.push_back(text.substr(start));
    return fields;
}

std::vector<std::string> split_fields(std::string_view text, char separator) {
    std::vector<std::string> fields;
    for (auto field : split_text(text, separator)) fields.emplace_back(field);
    return fields;
}

std::string trim_blanks(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

std::string to_upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string to_lower_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char32_t, 32> k_cp1252_high = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string ansi_to_utf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            out += ch;
        } else if (byte < 0xA0) {
            char32_t cp = k_cp1252_high[byte - 0x80];
            append_utf8(out, cp ? cp : byte);  // unassigned bytes map to the C1 control of the same number
        } else {
            append_utf8(out, byte);
        }
    }
    return out;
}

std::string utf8_to_ansi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        std::size_t len;
        if (b < 0x80) { cp = b; len = 1; }
        else if ((b >> 5) == 6) { cp = b & 0x1F; len = 2; }
        else if ((b >> 4) == 14) { cp = b & 0x0F; len = 3; }
        else if ((b >> 3) == 30) { cp = b & 0x07; len = 4; }
        else { out += '?'; ++i; continue; }
        if (i + len > utf8.size()) { out += '?'; break; }
        bool valid = true;
        for (std::size_t k = 1; k < len; ++k) {
            auto c = static_cast<unsigned char>(utf8[i + k]);
            if ((c >> 6) != 2) { valid = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!valid) { out += '?'; ++i; continue; }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) { out += static_cast<char>(cp); continue; }
        char mapped = '?';
        for (std::size_t k = 0; k < k_cp1252_high.size(); ++k)
            if (k_cp1252_high[k] == cp || (k_cp1252_high[k] == 0 && cp == 0x80 + k)) mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

}  // namespace tolm
