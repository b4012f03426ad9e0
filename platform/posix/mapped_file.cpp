#include "platform/mapped_file.h"

#include "platform/runtime_error.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace tolm::platform {

namespace {

[[noreturn]] void raise_open_error(const std::string& path, int error) {
    const std::int32_t number = (error == ENOENT || error == ENOTDIR) ? runtime_errors::file_not_found
                                                                      : runtime_errors::path_file_access_error;
    throw RuntimeError(number, "MappedFile", "Cannot open the file " + path + ": " + runtime_error_text(number));
}

}  // namespace

// On Unix the file's bytes are read into private anonymous memory rather than mapped: a file mapping
// shows whatever is on disk at the moment a page is touched, so a pack that the user truncates or
// copies over while it is open would raise SIGBUS (or show torn data that was never validated) in the
// middle of a paint, inside the client's process. The copy is the view that was validated, whatever
// happens to the file later.
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
    void* address = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        m_size = 0;
        throw RuntimeError(runtime_errors::out_of_memory, "MappedFile",
                           "Cannot read the file " + path + " (" + std::to_string(m_size) + " bytes) into memory: " +
                               runtime_error_text(runtime_errors::out_of_memory) + " (error " + std::to_string(error) + ").");
    }
    auto* bytes = static_cast<std::byte*>(address);
    std::size_t done = 0;
    int error = 0;
    while (done < m_size) {
        const ssize_t got = ::pread(fd, bytes + done, m_size - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            error = got < 0 ? errno : EIO;  // the file became shorter while it was read
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (done < m_size) {
        ::munmap(address, m_size);
        m_size = 0;
        raise_open_error(path, error);
    }
    ::mprotect(address, m_size, PROT_READ);
    m_data = bytes;
}

void MappedFile::close() noexcept {
    if (m_data) ::munmap(const_cast<std::byte*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
    m_open_empty = false;
}

}  // namespace tolm::platform
