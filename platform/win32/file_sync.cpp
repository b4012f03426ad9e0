#include "platform/atomic_file.h"

#include <windows.h>

namespace tolm::platform::detail {

std::error_code sync_file_to_disk(const std::filesystem::path& path) noexcept {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {static_cast<int>(::GetLastError()), std::system_category()};
    std::error_code error;
    if (!::FlushFileBuffers(file)) error.assign(static_cast<int>(::GetLastError()), std::system_category());
    ::CloseHandle(file);
    return error;
}

}  // namespace tolm::platform::detail
