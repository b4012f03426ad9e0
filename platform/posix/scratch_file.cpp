#include "platform/scratch_file.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace tolm::platform {

ScratchFile::ScratchFile(const std::filesystem::path& path) {
    m_descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (m_descriptor < 0) throw std::system_error(errno, std::generic_category(), "cannot create " + path.string());
    // Unlinked at once: the space is freed when the descriptor closes, even after a crash.
    ::unlink(path.c_str());
}

ScratchFile::~ScratchFile() {
    if (m_descriptor >= 0) ::close(m_descriptor);
}

}  // namespace tolm::platform
