#pragma once

#include <filesystem>

namespace tolm::platform {

// A file for a program's own working data (an index too big for memory): created empty at the path,
// readable and writable through its descriptor, and gone once the object is destroyed or the
// process ends, however it ends. Raises std::system_error naming the path when it cannot be created.
class ScratchFile {
public:
    explicit ScratchFile(const std::filesystem::path& path);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // The C runtime's descriptor of the open file.
    int descriptor() const noexcept { return m_descriptor; }

private:
    int m_descriptor = -1;
};

}  // namespace tolm::platform
