#pragma once

#include <string>
#include <string_view>

namespace tolm::importer {

// Writes the bytes beside the target and renames them over it, so that a failed or interrupted
// write never leaves a half-written file where the server or the engine would read it.
void write_file_atomically(const std::string& path, std::string_view bytes);

// The whole file as bytes; raises ImportError naming the file when it cannot be read.
std::string read_whole_file(const std::string& path);

}  // namespace tolm::importer
