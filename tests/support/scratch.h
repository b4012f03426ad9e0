#pragma once

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

// Scratch space for tests that touch files and the registry. It uses only the standard library so
// the same tests run natively and, built for Windows, under Wine against the real system functions.
namespace tolm::test {

// A fresh folder under the system's temporary folder, removed again with everything in it.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string_view tag) {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        auto base = std::filesystem::temp_directory_path();
        m_path = base / ("tolm-" + std::string(tag) + "-" + std::to_string(random()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const noexcept { return m_path; }
    std::string file(std::string_view name) const { return (m_path / std::string(name)).string(); }

private:
    std::filesystem::path m_path;
};

inline void write_bytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool file_exists(const std::string& path) { return std::filesystem::exists(std::filesystem::path(path)); }

// Sets a variable of the process environment, as the system's own functions see it.
inline void set_environment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    std::string entry = name + "=" + value;
    ::_putenv(entry.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

// On Linux the registry is a file; each test program gets its own so that tests never touch the
// user's store and runs never see each other. On Windows the tests use a key of their own below
// HKEY_CURRENT_USER\Software\TolmServer7Tests instead.
inline void use_scratch_registry_store() {
#ifndef _WIN32
    static const ScratchFolder folder("registry");
    static const bool done = [] {
        ::setenv("TOLM_REGISTRY_FILE", folder.file("registry.txt").c_str(), 1);
        return true;
    }();
    (void)done;
#endif
}

}  // namespace tolm::test
