#pragma once

// What the fuzz targets share: the input as a file for readers that take a path, and the check that
// stops the run with a message when a reader contradicts itself.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tolm::fuzz {

inline std::string_view bytes_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process's own below the temporary folder, emptied at each start.
inline const std::filesystem::path& scratch_folder() {
    static const std::filesystem::path folder = [] {
        auto f = std::filesystem::temp_directory_path() / ("tolm-fuzz-" + std::to_string(::getpid()));
        std::filesystem::remove_all(f);
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

// Writes the bytes to a file of that name in the scratch folder and returns its path.
inline std::string write_input(const std::string& name, std::string_view bytes) {
    const auto path = scratch_folder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

// A contradiction is a finding like a crash: libFuzzer keeps the input that caused it.
inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Splits the input at its first NUL: a reader's file before it, a query after it.
inline std::pair<std::string_view, std::string_view> split_at_nul(std::string_view bytes) {
    const auto nul = bytes.find('\0');
    if (nul == std::string_view::npos) return {bytes, {}};
    return {bytes.substr(0, nul), bytes.substr(nul + 1)};
}

}  // namespace tolm::fuzz
