#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolm {

// The leading-number rule used for every number read from text (data files, engine and client
// answers): blanks are ignored, "." is the decimal point whatever the locale, reading stops at the
// first character that cannot continue a number, and no digits give 0. "&H" and "&O" prefixes read
// hexadecimal and octal integers.
double parse_leading_number(std::string_view text) noexcept;

// True when the whole text, blanks at its ends aside, is one decimal number; the value goes to out.
bool parse_whole_number(std::string_view text, double& out) noexcept;

// Blanks (spaces only, as Trim removes them) off both ends.
std::string trim_blanks(std::string_view text);

// ASCII case folding, as the client's text comparisons with vbTextCompare treat names and keys.
std::string to_upper_ascii(std::string_view text);
std::string to_lower_ascii(std::string_view text);
bool equals_ignoring_case(std::string_view a, std::string_view b) noexcept;

// The fields of a text between separators, as Split makes them: n separators give n + 1 fields,
// empty ones included. The views point into the text.
std::vector<std::string_view> split_text(std::string_view text, char separator);
// The same fields as strings of their own, for texts that do not outlive the call.
std::vector<std::string> split_fields(std::string_view text, char separator);

// UTF-8 to the ANSI code page (Windows-1252) and back. Characters the code page lacks become "?",
// as the Windows conversion does by default.
std::string utf8_to_ansi(std::string_view utf8);
std::string ansi_to_utf8(std::string_view ansi);

}  // namespace tolm
