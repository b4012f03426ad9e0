#include "platform/atomic_file.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

namespace tolm::platform {
namespace {

TEST(AtomicFile, ReplacesTheContentsAndLeavesNothingBeside) {
    test::ScratchFolder folder("atomic");
    const auto target = folder.path() / "settings.ini";
    test::write_bytes(target.string(), "old contents that are longer");
    EXPECT_FALSE(replace_file_contents(target, "new"));
    EXPECT_EQ(test::read_bytes(target.string()), "new");
    EXPECT_FALSE(replace_file_contents(folder.path() / "fresh.txt", ""));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "fresh.txt"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile) {
    test::ScratchFolder folder("atomic");
    // A folder where the file should be: the rename fails, and the folder is left untouched.
    const auto blocked = folder.path() / "blocked";
    std::filesystem::create_directories(blocked / "inside");
    EXPECT_TRUE(replace_file_contents(blocked, "bytes"));
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
    // A missing folder: nothing can be written at all.
    EXPECT_TRUE(replace_file_contents(folder.path() / "no" / "such" / "file.txt", "bytes"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file may be left behind";
}

TEST(AtomicFile, AFullDiskKeepsTheOldFile) {
    test::ScratchFolder folder("atomic");
    const auto target = folder.path() / "list.fav";
    test::write_bytes(target.string(), "old");
    detail::fail_replacements_for_testing(true);
    const std::error_code error = replace_file_contents(target, "new");
    detail::fail_replacements_for_testing(false);
    EXPECT_TRUE(error);
    EXPECT_EQ(test::read_bytes(target.string()), "old");
}

// Every step of a replacement failed with the errors real systems give: the old file stays whole,
// nothing is left beside it, and the error is the system's own, told in words a user understands.
TEST(AtomicFile, EveryStepFailedLeavesThePreviousFileIntact) {
    test::ScratchFolder folder("atomic-faults");
    const auto target = folder.path() / "engine.ini";
    test::write_bytes(target.string(), "previous");
    for (FileStep step : {FileStep::open, FileStep::write, FileStep::sync, FileStep::rename})
        for (std::errc error : {std::errc::no_space_on_device, std::errc::permission_denied, std::errc::io_error}) {
            detail::inject_file_fault_for_testing({step, error});
            const std::error_code result = replace_file_contents(target, "replacement");
            detail::clear_file_faults_for_testing();
            EXPECT_EQ(result, std::make_error_code(error)) << static_cast<int>(step);
            EXPECT_EQ(test::read_bytes(target.string()), "previous");
            std::size_t entries = 0;
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
            EXPECT_EQ(entries, 1u);
        }
    // A fault after some writes passed, as a disk that fills up during a run.
    detail::inject_file_fault_for_testing({FileStep::write, std::errc::no_space_on_device, 1});
    EXPECT_FALSE(replace_file_contents(target, "first"));
    EXPECT_TRUE(replace_file_contents(target, "second"));
    detail::clear_file_faults_for_testing();
    EXPECT_EQ(test::read_bytes(target.string()), "first");
    EXPECT_EQ(file_error_text(std::make_error_code(std::errc::no_space_on_device)), "the disk is full");
    EXPECT_NE(file_error_text(std::make_error_code(std::errc::permission_denied)).find("read-only"), std::string::npos);
}

#ifndef _WIN32
// A read-only folder (where the rights are honoured) is reported as such, not as a missing file.
TEST(AtomicFile, AReadOnlyFolderIsReportedAsNoPermission) {
    test::ScratchFolder folder("atomic-readonly");
    const auto target = folder.path() / "engine.ini";
    test::write_bytes(target.string(), "previous");
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::error_code result = replace_file_contents(target, "replacement");
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    if (!result) GTEST_SKIP() << "running with rights that ignore file modes";
    EXPECT_EQ(result, std::errc::permission_denied);
    EXPECT_EQ(test::read_bytes(target.string()), "previous");
}
#endif

TEST(AtomicFile, Utf8PathsReachTheFileSystem) {
    test::ScratchFolder folder("atomic");
    const auto target = folder.path() / path_from_utf8("Caf\xC3\xA9.fav");
    EXPECT_FALSE(replace_file_contents(target, "x"));
    EXPECT_TRUE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace tolm::platform
