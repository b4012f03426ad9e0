#pragma once

#include <string>

namespace tolm::platform {

// True when the path's attributes can be read: files and directories both count.
bool file_exists(const std::string& path) noexcept;

}  // namespace tolm::platform
