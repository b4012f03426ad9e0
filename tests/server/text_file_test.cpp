#include "server/text_file.h"

#include "support/scratch.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace tolm::server {
namespace {

TEST(TextFile, ReplacesWholeFilesInTheAnsiCodePageWithCrLf) {
    tolm::test::ScratchFolder folder("text-file");
    const std::string path = folder.file("map.INF");
    tolm::test::write_bytes(path, "an old, longer entry that must go entirely\r\n");
    write_text_lines_replacing(path, {"caf\xC3\xA9", "two"});
    EXPECT_EQ(tolm::test::read_bytes(path), "caf\xE9\r\ntwo\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "nothing left beside the file";
    EXPECT_EQ(read_text_lines(path), (std::vector<std::string>{"caf\xC3\xA9", "two"}));
}

TEST(TextFile, AFailedReplaceLeavesTheOldFile) {
    tolm::test::ScratchFolder folder("text-file");
    EXPECT_THROW(write_text_lines_replacing(folder.file("missing/map.INF"), {"x"}), RuntimeError);
    // A folder in the file's place cannot be replaced by a file: it stays, and nothing is left beside it.
    const std::string blocked = folder.file("blocked");
    std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
    EXPECT_THROW(write_text_lines_replacing(blocked, {"x"}), RuntimeError);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(blocked) / "inside"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "nothing left beside the folder";
}

TEST(TextFile, UnchangedContentsAreNotWrittenAgain) {
    tolm::test::ScratchFolder folder("text-file");
    const std::string path = folder.file("map.INF");
    EXPECT_TRUE(write_text_lines_if_changed(path, {"a", "b"}));
    EXPECT_FALSE(write_text_lines_if_changed(path, {"a", "b"}));
    EXPECT_TRUE(write_text_lines_if_changed(path, {"a"}));
    EXPECT_EQ(tolm::test::read_bytes(path), "a\r\n");
    tolm::test::write_bytes(path, "a\r\nb\r\nextra\r\n");
    EXPECT_TRUE(write_text_lines_if_changed(path, {"a", "b"})) << "a longer file is not the same file";
}

}  // namespace
}  // namespace tolm::server
