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

TEST(AtomicFile, Utf8PathsReachTheFileSystem) {
    test::ScratchFolder folder("atomic");
    const auto target = folder.path() / path_from_utf8("Caf\xC3\xA9.fav");
    EXPECT_FALSE(replace_file_contents(target, "x"));
    EXPECT_TRUE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace tolm::platform
