#include "platform/atomic_file.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>

namespace tolm::platform {

namespace {

std::atomic<bool> g_fail_replacements{false};

// A name no other writer of the same file uses at the same moment, in this process or another.
std::filesystem::path temporary_beside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temporary = target;
    temporary += ".writing-" + std::to_string(stamp) + "-" + std::to_string(counter++);
    return temporary;
}

}  // namespace

std::filesystem::path path_from_utf8(std::string_view utf8_path) {
    return std::filesystem::path(std::u8string(utf8_path.begin(), utf8_path.end()));
}

std::error_code replace_file_contents(const std::filesystem::path& target, std::string_view bytes) {
    const std::filesystem::path temporary = temporary_beside(target);
    std::error_code error;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return std::make_error_code(std::errc::no_such_file_or_directory);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out || g_fail_replacements.load()) error = std::make_error_code(std::errc::no_space_on_device);
    }
    if (!error) std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return error;
}

void detail::fail_replacements_for_testing(bool on) noexcept { g_fail_replacements.store(on); }

}  // namespace tolm::platform
