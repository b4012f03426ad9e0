#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The server's standard module of helpers: positions as the client's map INF files write them
// (degrees, minutes with two decimals, a hemisphere letter), the decimal-point fix for numbers written
// to files, and small text, key-code and file tests. All are free functions without state.
namespace tolm::server {

// Latitude "DD.MM.mmH" and longitude "DDD.MM.mmH" of a position; "." separates the minutes' decimals
// in every locale. Raises the runtime's overflow error for degrees beyond a 16-bit Integer.
void FormatPosition(double lat, double lon, std::string& lat_text, std::string& lon_text);

// One coordinate ending in N, S, E or W (upper case): degrees "." minutes, or whole degrees. Returns
// the value in single precision, 0 for any other last character. An empty text raises the runtime's
// invalid-procedure-call error, as the client's own reader does.
float ParseCoordinate(std::string_view text);

// Two coordinates separated by the first comma, latitude and longitude in either order. False, with
// x and y unchanged, when there is no comma; otherwise x is the longitude and y the latitude.
bool ParseLatLonPair(std::string_view text, float& x, float& y);

// The two corner lines of a map INF file (lines starting with ";" are comments). False on any error,
// a missing file or a file ending before its second corner included.
bool ReadInfCorners(const std::string& path, float& x1, float& y1, float& x2, float& y2);

// Every "," replaced by ".", for numbers made with the user's decimal separator.
std::string CommaToPoint(std::string_view text);

// True when the path names an existing file or folder.
bool FileExists(const std::string& path);

// True when value lies between the two bounds inclusive, whichever is smaller.
bool IsBetween(std::int16_t value, std::int16_t bound1, std::int16_t bound2);

// True when every character is 0 to 9 (and for an empty text).
bool IsAllDigits(std::string_view text);

// True for the key codes of 0 to 9 and for every code below 14 (backspace, tab, enter ...).
bool IsDigitOrControlKey(std::int16_t key_code);

// The code of the upper-case letter for a to z; any other code unchanged.
std::int16_t UpperCaseKey(std::int16_t key_code);

// Selects the whole text of the screen's active control; any failure is ignored.
void SelectAllInActiveControl();

// The open-file dialog: the chosen full path, or an empty text when cancelled or on any error. The
// default extension and file name pattern are accepted and not used; flags 4 (no read-only box) and
// 8 (keep the current directory) are always added.
std::string PickFile(std::int32_t owner_window, const std::string& default_extension, const std::string& file_pattern,
                     const std::string& initial_folder, const std::string& filter, const std::string& title,
                     std::int32_t flags);

}  // namespace tolm::server
