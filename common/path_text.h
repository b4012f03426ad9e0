#pragma once

#include <string>
#include <string_view>

// Paths as the server builds them: a folder, a separator and a name. The client's paths use "\";
// on Linux the platform's "/" is used instead, and both are accepted when a path is taken apart.
namespace tolm {

// folder + separator + name, without doubling a separator the folder already ends with.
std::string join_path(std::string_view folder, std::string_view name);
// True for "\" and "/".
bool is_path_separator(char c) noexcept;

}  // namespace tolm
