#include "platform/files.h"

#include <sys/stat.h>

namespace tolm::platform {

bool file_exists(const std::string& path) noexcept {
    if (path.empty()) return false;
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

}  // namespace tolm::platform
