#pragma once

#include "platform/variant.h"

#include <string>

// The client's favourite map views, kept for it in the favourites file beside the server library
// ("TolmServer7.FAV"): one view per line, exactly as the client gave it, ANSI text with CR LF line
// ends. The server never reads inside an entry. The initialiser copies the previous generation's
// file unchanged, so the format must stay as it is.
//
// None of the three raises an error: the client treats favourites as a convenience, and a file
// that cannot be read or written simply changes nothing.
namespace tolm::server::favourites {

// At most this many entries are saved or loaded (indexes 0 to 32767).
inline constexpr std::size_t k_max_entries = 32768;

// Appends one entry as a new last line, creating the file when needed.
void add(const std::string& file, const std::string& entry) noexcept;

// Replaces the whole list with the entries from index 0 to the array's upper bound. The new list is
// written beside the file and renamed over it only when complete, so a failed write (a full disk, a
// folder that became read-only) leaves the previous list intact. An array that does not start at
// index 0 or has no bounds changes nothing.
void save(const std::string& file, const StringArray& entries) noexcept;

// The file's lines at indexes 0 upward. A missing or empty file leaves `entries` as it was passed.
void load(const std::string& file, StringArray& entries) noexcept;

}  // namespace tolm::server::favourites
