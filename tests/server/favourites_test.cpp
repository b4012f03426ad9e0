#include "server/favourites.h"

#include "support/scratch.h"

#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolm::server {
namespace {

class Favourites : public ::testing::Test {
protected:
    Favourites() : m_folder("favourites"), m_file(m_folder.file("TolmServer7.FAV")) {}
    StringArray loaded() {
        StringArray list;
        favourites::load(m_file, list);
        return list;
    }
    test::ScratchFolder m_folder;
    std::string m_file;
};

TEST_F(Favourites, AddCreatesTheFileWithOneLine) {
    favourites::add(m_file, "Home,-97.74,30.27,5");
    EXPECT_EQ(test::read_bytes(m_file), "Home,-97.74,30.27,5\r\n");
}

TEST_F(Favourites, SaveLoadAndAddRoundTrip) {
    favourites::save(m_file, StringArray(0, {"a", "b", "c"}));
    EXPECT_EQ(test::read_bytes(m_file), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(loaded(), StringArray(0, {"a", "b", "c"}));
    favourites::add(m_file, "d");
    EXPECT_EQ(loaded(), StringArray(0, {"a", "b", "c", "d"}));
    // Saving replaces the list; a shorter list leaves no trace of the longer one.
    favourites::save(m_file, StringArray(0, {"x", "x"}));
    EXPECT_EQ(loaded(), StringArray(0, {"x", "x"}));
}

TEST_F(Favourites, EmptyEntriesAndAnsiText) {
    favourites::save(m_file, StringArray(0, {""}));
    EXPECT_EQ(test::read_bytes(m_file), "\r\n");
    EXPECT_EQ(loaded(), StringArray(0, {""}));
    favourites::save(m_file, StringArray(0, {"Zürich"}));
    EXPECT_EQ(test::read_bytes(m_file), "Z\xFCrich\r\n");
    EXPECT_EQ(loaded(), StringArray(0, {"Zürich"}));
}

TEST_F(Favourites, MissingOrEmptyFileLeavesTheArrayAsPassed) {
    StringArray list(0, {"kept"});
    favourites::load(m_file, list);
    EXPECT_EQ(list, StringArray(0, {"kept"}));
    test::write_bytes(m_file, "");
    favourites::load(m_file, list);
    EXPECT_EQ(list, StringArray(0, {"kept"}));
    // A file from the previous generation loads line for line, a last line without an end too.
    test::write_bytes(m_file, "one\r\ntwo, with comma\r\nthree");
    favourites::load(m_file, list);
    EXPECT_EQ(list, StringArray(0, {"one", "two, with comma", "three"}));
}

TEST_F(Favourites, FailedSaveKeepsTheOldList) {
    favourites::save(m_file, StringArray(0, {"a", "b"}));
    // The new list cannot be written out (a full disk): the old list must survive whole.
    platform::detail::fail_replacements_for_testing(true);
    favourites::save(m_file, StringArray(0, {"c"}));
    platform::detail::fail_replacements_for_testing(false);
    EXPECT_EQ(loaded(), StringArray(0, {"a", "b"}));
    // An array that does not start at 0, or has no bounds, changes nothing either.
    favourites::save(m_file, StringArray(1, {"z"}));
    favourites::save(m_file, StringArray{});
    EXPECT_EQ(loaded(), StringArray(0, {"a", "b"}));
    // Neither does a folder that does not exist.
    favourites::save(m_folder.file("missing/TolmServer7.FAV"), StringArray(0, {"a"}));
    favourites::add(m_folder.file("missing/TolmServer7.FAV"), "a");
    EXPECT_FALSE(test::file_exists(m_folder.file("missing/TolmServer7.FAV")));
}

// A full disk during an add loses nothing and leaves no cut entry for the next add to be glued to.
TEST_F(Favourites, AnAddIsAllOrNothing) {
    favourites::save(m_file, StringArray(0, {"a", "b"}));
    platform::detail::fail_replacements_for_testing(true);
    favourites::add(m_file, "a view that does not fit on the disk");
    platform::detail::fail_replacements_for_testing(false);
    EXPECT_EQ(test::read_bytes(m_file), "a\r\nb\r\n");
    favourites::add(m_file, "c");
    EXPECT_EQ(loaded(), StringArray(0, {"a", "b", "c"}));
    // A file cut by an older writer keeps its cut line a line of its own.
    test::write_bytes(m_file, "a\r\nhalf an ent");
    favourites::add(m_file, "d");
    EXPECT_EQ(loaded(), StringArray(0, {"a", "half an ent", "d"}));
}

// Saving arrays with bounds at the ends of a Long (the UBSan finding negated the least Long).
TEST_F(Favourites, ArraysWithExtremeBoundsAreSavedSoundly) {
    // No element at index 0, where the client's loop starts: an empty list.
    favourites::save(m_file, StringArray(0, {"a"}));
    favourites::save(m_file, StringArray(INT32_MIN, {"x"}));
    EXPECT_EQ(test::read_bytes(m_file), "");
    favourites::save(m_file, StringArray(0, {"a"}));
    favourites::save(m_file, StringArray(INT32_MIN, {}));
    EXPECT_EQ(test::read_bytes(m_file), "");
    favourites::save(m_file, StringArray(-1, {"skipped", "kept"}));
    EXPECT_EQ(loaded(), StringArray(0, {"kept"}));
    test::write_bytes(m_file, "\x7F");
    StringArray list(INT32_MIN, {});
    favourites::load(m_file, list);
    EXPECT_EQ(list.lower, 0);
    favourites::save(m_file, list);
    EXPECT_EQ(test::read_bytes(m_file), "\x7F\r\n");
}

TEST_F(Favourites, ListsAreLimitedTo32768Entries) {
    favourites::save(m_file, StringArray(0, std::vector<std::string>(favourites::k_max_entries + 5, "v")));
    EXPECT_EQ(loaded().items.size(), favourites::k_max_entries);
}

}  // namespace
}  // namespace tolm::server
