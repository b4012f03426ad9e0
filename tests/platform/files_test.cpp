#include "platform/files.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

namespace tolm::platform {
namespace {

TEST(FileExistence, FilesAndFoldersCountMissingAndEmptyPathsDoNot) {
    test::ScratchFolder folder("files");
    const std::string file = folder.file("a.txt");
    test::write_bytes(file, "x");
    EXPECT_TRUE(file_exists(file));
    EXPECT_TRUE(file_exists(folder.path().string()));
    EXPECT_FALSE(file_exists(folder.file("missing.txt")));
    EXPECT_FALSE(file_exists(""));
}

}  // namespace
}  // namespace tolm::platform
