#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace tolm::platform {

// Replaces a file's contents the way every writer of a user's file here must: the bytes go to a new
// file beside the target, are flushed, and only then renamed over it. A reader never sees half a
// file, and a failed write (full disk, no rights) leaves the old file as it was and no stray file
// behind. The new file is flushed to the disk before the rename, so that a crash of the machine
// leaves either file whole. Returns the error of the step that failed (the system's own: EACCES for
// a read-only folder, ENOSPC for a full disk), or a cleared code.
std::error_code replace_file_contents(const std::filesystem::path& target, std::string_view bytes);

// The same for a path given as UTF-8 text (wide on Windows, bytes elsewhere).
std::filesystem::path path_from_utf8(std::string_view utf8_path);

// The steps of a replacement, each of which the file system may fail.
enum class FileStep { open, write, sync, rename };

namespace detail {
// Fault injection, as SQLite tests its I/O errors through its table of system calls: every write
// the system makes to a user's file goes through replace_file_contents, and a test can make one of
// its steps fail with the error a real system gives (ENOSPC, EACCES, EIO), then check that the old
// file is intact and the error is reported. For tests only; not thread-safe against writers.
struct FileFault {
    FileStep step;
    std::errc error;
    int skip = 0;  // replacements that pass before the fault strikes
};
void inject_file_fault_for_testing(const FileFault& fault) noexcept;
void clear_file_faults_for_testing() noexcept;
// The old switch: while on, every replacement fails at the write with ENOSPC, as a full disk does.
void fail_replacements_for_testing(bool on) noexcept;
// The fault armed for this step of a replacement, if any: for writers of their own (the profile and
// registry store files keep the old file's permissions) that take part in the same fault table.
std::error_code injected_file_fault(FileStep step) noexcept;

// The platform's flush of a written file to the disk (fsync / FlushFileBuffers); platform code.
std::error_code sync_file_to_disk(const std::filesystem::path& path) noexcept;
}  // namespace detail

// A text for an error of replace_file_contents that a user understands ("the disk is full", "no
// permission to write in the folder", ...).
std::string file_error_text(const std::error_code& error);

}  // namespace tolm::platform
