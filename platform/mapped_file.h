#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tolm::platform {

// A whole file mapped read-only into memory. Data packs are opened this way so that a paint touches
// only the pages it needs and several server objects in one process share the same physical pages.
// mmap on Unix, a file mapping on Windows; portable code sees only the bytes.
//
// Opening a missing or unreadable file raises RuntimeError 53 / 75 naming the file. An empty file
// maps to an empty span.
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
