#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tolm::platform {

// A whole file's bytes, held read-only for as long as the object lives. Data packs are opened this
// way and validated once; painting then reads them without checks of its own, so the bytes must not
// change underneath.
// - Unix: the bytes are read into private memory when the file is opened. A mapping would show what
//   is on disk at the moment each page is touched, and a user who truncates or copies over a pack
//   while the client runs would end the client's process with SIGBUS or let unvalidated bytes in.
// - Windows: a read-only file mapping. The file system refuses to truncate or shorten a file while
//   a section of it is mapped, so the pack cannot shrink under the engine.
//
// Opening a missing or unreadable file raises RuntimeError 53 / 75 naming the file, one too large for
// memory 7. An empty file gives an empty span.
class MappedFile {
public:
    MappedFile() = default;
    explicit MappedFile(const std::string& path);
    ~MappedFile();

    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;

    std::span<const std::byte> bytes() const noexcept { return {m_data, m_size}; }
    std::size_t size() const noexcept { return m_size; }
    const std::string& path() const noexcept { return m_path; }
    bool is_open() const noexcept { return m_data != nullptr || m_open_empty; }

private:
    void close() noexcept;

    std::string m_path;
    const std::byte* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_open_empty = false;
    std::uintptr_t m_mapping = 0;  // the file mapping handle on Windows; unused on Unix
};

}  // namespace tolm::platform
