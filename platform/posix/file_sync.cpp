#include "platform/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tolm::platform::detail {

std::error_code sync_file_to_disk(const std::filesystem::path& path) noexcept {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return {errno, std::generic_category()};
    std::error_code error;
    if (::fsync(fd) != 0) error.assign(errno, std::generic_category());
    ::close(fd);
    return error;
}

}  // namespace tolm::platform::detail
