#include "platform/scratch_file.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <system_error>

namespace tolm::platform {

ScratchFile::ScratchFile(const std::filesystem::path& path) {
    // _O_TEMPORARY: the system deletes the file when the last handle to it closes.
    m_descriptor = ::_wopen(path.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY | _O_TEMPORARY | _O_NOINHERIT,
                            _S_IREAD | _S_IWRITE);
    if (m_descriptor < 0) throw std::system_error(errno, std::generic_category(), "cannot create " + path.string());
}

ScratchFile::~ScratchFile() {
    if (m_descriptor >= 0) ::_close(m_descriptor);
}

}  // namespace tolm::platform
