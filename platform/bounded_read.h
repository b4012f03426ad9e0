#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tolm::platform {

// Reads a whole file, but never more than `limit` bytes: a file that is longer (or never ends, as a
// device or a pipe) is not read whole into the client's process. Returns nothing when the file cannot
// be opened; raises RuntimeError 7 ("Out of memory"), with a text naming `what`, the file and the
// limit, when it holds more than `limit` bytes.
std::optional<std::string> read_file_at_most(const std::string& path, std::size_t limit, const std::string& what);

// The same limit as a text for messages and documents, "16 MB".
std::string size_text(std::size_t bytes);

}  // namespace tolm::platform
