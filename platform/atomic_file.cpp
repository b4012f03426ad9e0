#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>

namespace tolm::platform {

namespace {

std::atomic<bool> g_fail_replacements{false};
std::atomic<bool> g_fault_armed{false};
std::mutex g_fault_mutex;
std::optional<detail::FileFault> g_fault;

// The injected error for this step, if a test armed one.
std::error_code injected(FileStep step) noexcept {
    if (step == FileStep::write && g_fail_replacements.load()) return std::make_error_code(std::errc::no_space_on_device);
    if (!g_fault_armed.load()) return {};
    const std::lock_guard lock(g_fault_mutex);
    if (!g_fault || g_fault->step != step) return {};
    if (g_fault->skip > 0) {
        --g_fault->skip;
        return {};
    }
    return std::make_error_code(g_fault->error);
}

// The error the C library left for a stream that failed, or a plain I/O error when it left none.
std::error_code last_error(std::errc fallback) noexcept {
    const int number = errno;
    return number ? std::error_code(number, std::generic_category()) : std::make_error_code(fallback);
}

// A name no other writer of the same file uses at the same moment, in this process or another.
std::filesystem::path temporary_beside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temporary = target;
    temporary += ".writing-" + std::to_string(stamp) + "-" + std::to_string(counter++);
    return temporary;
}

std::error_code write_beside(const std::filesystem::path& temporary, std::string_view bytes) {
    if (const auto error = injected(FileStep::open)) return error;
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return last_error(std::errc::io_error);
    if (const auto error = injected(FileStep::write)) return error;
    errno = 0;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return last_error(std::errc::io_error);
    errno = 0;
    out.close();
    if (out.fail()) return last_error(std::errc::io_error);
    if (const auto error = injected(FileStep::sync)) return error;
    return detail::sync_file_to_disk(temporary);
}

}  // namespace

std::filesystem::path path_from_utf8(std::string_view utf8_path) {
    return std::filesystem::path(std::u8string(utf8_path.begin(), utf8_path.end()));
}

std::error_code replace_file_contents(const std::filesystem::path& target, std::string_view bytes) {
    const std::filesystem::path temporary = temporary_beside(target);
    std::error_code error = write_beside(temporary, bytes);
    if (!error) error = injected(FileStep::rename);
    if (!error) std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return error;
}

std::string file_error_text(const std::error_code& error) {
    if (error == std::errc::no_space_on_device) return "the disk is full";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system)
        return "there is no permission to write there (the folder or the file is read-only)";
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) return "the folder does not exist";
    if (error == std::errc::is_a_directory) return "a folder of that name is in the way";
    if (error == std::errc::io_error) return "the disk reported an input/output error";
    return error.message();
}

void detail::inject_file_fault_for_testing(const FileFault& fault) noexcept {
    const std::lock_guard lock(g_fault_mutex);
    g_fault = fault;
    g_fault_armed.store(true);
}

void detail::clear_file_faults_for_testing() noexcept {
    const std::lock_guard lock(g_fault_mutex);
    g_fault.reset();
    g_fault_armed.store(false);
    g_fail_replacements.store(false);
}

void detail::fail_replacements_for_testing(bool on) noexcept { g_fail_replacements.store(on); }
std::error_code detail::injected_file_fault(FileStep step) noexcept { return injected(step); }

}  // namespace tolm::platform
