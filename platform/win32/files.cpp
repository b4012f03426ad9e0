#include "platform/files.h"
#include "platform/text.h"

#include <windows.h>

namespace tolm::platform {

bool file_exists(const std::string& path) noexcept {
    if (path.empty()) return false;
    try {
        return GetFileAttributesA(utf8_to_ansi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    } catch (...) {
        return false;
    }
}

}  // namespace tolm::platform
