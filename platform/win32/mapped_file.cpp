#include "platform/mapped_file.h"

#include "platform/runtime_error.h"

#include <windows.h>

#include <utility>

namespace tolm::platform {

namespace {

[[noreturn]] void raise_open_error(const std::string& path, DWORD error) {
    const std::int32_t number = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                                    ? runtime_errors::file_not_found
                                    : runtime_errors::path_file_access_error;
    throw RuntimeError(number, "MappedFile", "Cannot open the file " + path + ": " + runtime_error_text(number));
}

}  // namespace

MappedFile::MappedFile(const std::string& path) : m_path(path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) raise_open_error(path, ::GetLastError());
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        raise_open_error(path, error);
    }
    m_size = static_cast<std::size_t>(size.QuadPart);
    if (m_size == 0) {
        m_open_empty = true;
        ::CloseHandle(file);
        return;
    }
    HANDLE mapping = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const DWORD mapping_error = ::GetLastError();
    ::CloseHandle(file);  // the mapping keeps the file alive
    if (!mapping) {
        m_size = 0;
        raise_open_error(path, mapping_error);
    }
    const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(mapping);
        m_size = 0;
        raise_open_error(path, error);
    }
    m_mapping = reinterpret_cast<std::uintptr_t>(mapping);
    m_data = static_cast<const std::byte*>(view);
}

void MappedFile::close() noexcept {
    if (m_data) ::UnmapViewOfFile(m_data);
    if (m_mapping) ::CloseHandle(reinterpret_cast<HANDLE>(m_mapping));
    m_data = nullptr;
    m_size = 0;
    m_mapping = 0;
    m_open_empty = false;
}

}  // namespace tolm::platform
