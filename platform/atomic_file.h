#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace tolm::platform {

// Replaces a file's contents the way every writer of a user's file here must: the bytes go to a new
// file beside the target, are flushed, and only then renamed over it. A reader never sees half a
// file, and a failed write (full disk, no rights) leaves the old file as it was and no stray file
// behind. Returns the error of the step that failed, or a cleared code.
std::error_code replace_file_contents(const std::filesystem::path& target, std::string_view bytes);

// The same for a path given as UTF-8 text (wide on Windows, bytes elsewhere).
std::filesystem::path path_from_utf8(std::string_view utf8_path);

namespace detail {
// Fault injection, as SQLite tests its I/O errors: while on, every replacement fails after the new
// file was written beside the target, the way a full disk fails it. For tests only.
void fail_replacements_for_testing(bool on) noexcept;
}  // namespace detail

}  // namespace tolm::platform
