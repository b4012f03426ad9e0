// The parts of MappedFile that are the same on every platform; opening and closing a mapping are
// in posix/ and win32/.
#include "platform/mapped_file.h"

#include <utility>

namespace tolm::platform {

MappedFile::~MappedFile() { close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_path(std::move(other.m_path)),
      m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_open_empty(std::exchange(other.m_open_empty, false)),
      m_mapping(std::exchange(other.m_mapping, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        close();
        m_path = std::move(other.m_path);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_open_empty = std::exchange(other.m_open_empty, false);
        m_mapping = std::exchange(other.m_mapping, 0);
    }
    return *this;
}

}  // namespace tolm::platform
