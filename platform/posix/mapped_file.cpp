#include "platform/mapped_file.h"

#include "platform/runtime_error.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tolm::platform {

namespace {

[[noreturn]] void raise_open_error(const std::string& path, int error) {
    const std::int32_t number = (error == ENOENT || error == ENOTDIR) ? runtime_errors::file_not_found
                                                                      : runtime_errors::path_file_access_error;
    throw RuntimeError(number, "MappedFile", "Cannot open the file " + path + ": " + runtime_error_text(number));
}

}  // namespace

MappedFile::MappedFile(const std::string& path) : m_path(path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) raise_open_error(path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        raise_open_error(path, S_ISDIR(info.st_mode) ? EISDIR : error);
    }
    m_size = static_cast<std::size_t>(info.st_size);
    if (m_size == 0) {
        m_open_empty = true;
        ::close(fd);
        return;
    }
    void* address = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    ::close(fd);  // the mapping keeps the file alive
    if (address == MAP_FAILED) {
        m_size = 0;
        raise_open_error(path, error);
    }
    m_data = static_cast<const std::byte*>(address);
}

void MappedFile::close() noexcept {
    if (m_data) ::munmap(const_cast<std::byte*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
    m_open_empty = false;
}

}  // namespace tolm::platform
