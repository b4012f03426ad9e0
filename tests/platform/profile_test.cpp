#include "platform/profile.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// These tests speak only through the port, so the Windows build runs them unchanged against
// GetPrivateProfileStringA and WritePrivateProfileStringA: what they expect is what the system does.
namespace {

namespace profile = tolm::platform::profile;
using tolm::test::read_bytes;
using tolm::test::write_bytes;

struct Read {
    std::uint32_t count = 0;
    std::string text;     // the first count characters
    std::string written;  // the count characters and the NUL after them
};

class ProfileTest : public ::testing::Test {
protected:
    tolm::test::ScratchFolder m_folder{"profile"};
    std::string m_file = m_folder.file("test.ini");

    void given(std::string_view bytes) { write_bytes(m_file, bytes); }

    Read get(const std::optional<std::string>& section, const std::optional<std::string>& key,
             const std::string& default_value = "dflt", std::uint32_t size = 256) {
        std::vector<char> buffer(size + 8, '#');
        Read r;
        r.count = profile::get_string(section, key, default_value, buffer.data(), size, m_file);
        r.text.assign(buffer.data(), r.count);
        if (size > 0) r.written.assign(buffer.data(), r.count + 1);
        return r;
    }
    std::string value(const std::string& section, const std::string& key, const std::string& default_value = "dflt") {
        return get(section, key, default_value).text;
    }
    bool write(const std::optional<std::string>& section, const std::optional<std::string>& key,
               const std::optional<std::string>& text) {
        return profile::write_string(section, key, text, m_file);
    }
};

TEST_F(ProfileTest, ReadTrimsBlanksAndOnePairOfEnclosingQuotes) {
    given("[S]\r\nk1 =  \"  a b \"  \r\nk2='x'\r\nk3=\"abc\r\nk4=\"\"\r\nk5=\"\r\nk6= \" x\" y\r\nk7=a\"\r\n"
          "k8=\t tab \t\r\nk9=\"\"\"\"\r\n");
    EXPECT_EQ(value("S", "k1"), "  a b ");
    EXPECT_EQ(value("S", "k2"), "x");
    EXPECT_EQ(value("S", "k3"), "\"abc");
    EXPECT_EQ(value("S", "k4"), "");
    EXPECT_EQ(value("S", "k5"), "\"");
    EXPECT_EQ(value("S", "k6"), "\" x\" y");
    EXPECT_EQ(value("S", "k7"), "a\"");
    EXPECT_EQ(value("S", "k8"), "tab");
    EXPECT_EQ(value("S", "k9"), "\"\"");
}

TEST_F(ProfileTest, NamesMatchWithoutCaseAndBlanks) {
    given("[Setup]\r\n  Spaced Key   =  v  \r\nSHADE_COUNTY=True\r\n[ Paths ] trailing words\r\nx=1\r\n");
    EXPECT_EQ(value("SETUP", "spaced key"), "v");
    EXPECT_EQ(value("setup", "  Shade_County "), "True");
    EXPECT_EQ(value(" paths", "X"), "1");
    EXPECT_EQ(get(std::nullopt, std::nullopt).text, std::string("Setup\0Paths\0", 12));
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    given("[S]\r\na=1\r\n");
    EXPECT_EQ(value("S", "b", "fallback"), "fallback");
    EXPECT_EQ(value("T", "a", "fallback"), "fallback");
    // Trailing blanks of the default go, leading ones stay; enclosing quotes go as for stored values.
    EXPECT_EQ(value("S", "b", "  de f  "), "  de f");
    EXPECT_EQ(value("S", "b", "\"q\""), "q");
    EXPECT_EQ(value("S", "b", ""), "");
    m_file = m_folder.file("absent.ini");
    EXPECT_EQ(value("S", "a", "none"), "none");
    EXPECT_EQ(get("S", std::nullopt, "none").text, "none");
    EXPECT_EQ(get(std::nullopt, std::nullopt).count, 0u);
}

TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
    given("[S]\r\nlong=" + std::string(600, 'v') + "\r\nshort=abcdef\r\nq=\"abcdef\"\r\n");
    Read r = get("S", "long", "", 500);
    EXPECT_EQ(r.count, 499u);
    EXPECT_EQ(r.written, std::string(499, 'v') + '\0');
    EXPECT_EQ(get("S", "short", "", 4).written, std::string("abc\0", 4));
    EXPECT_EQ(get("S", "q", "", 4).written, std::string("abc\0", 4));
    EXPECT_EQ(get("S", "short", "", 7).text, "abcdef");
    EXPECT_EQ(get("S", "short", "", 1).written, std::string(1, '\0'));
    EXPECT_EQ(get("S", "missing", "default", 4).text, "def");
}

TEST_F(ProfileTest, KeyListSkipsCommentsAndLinesWithoutEquals) {
    given("[S]\r\na=1\r\nA=2\r\n;c=3\r\nnoeq\r\n b = 4 \r\n#h=5\r\n\r\n[T]\r\nx=1\r\n");
    Read keys = get("S", std::nullopt);
    EXPECT_EQ(keys.count, 9u);
    EXPECT_EQ(keys.written, std::string("a\0A\0b\0#h\0\0", 10));
    // Repeated keys: the first one is read.
    EXPECT_EQ(value("S", "a"), "1");
    // A comment is not listed but can still be read by its whole name; a line without "=" reads as
    // the default.
    EXPECT_EQ(value("S", ";c"), "3");
    EXPECT_EQ(value("S", "noeq"), "dflt");
    EXPECT_EQ(value("S", "#h"), "5");
}

TEST_F(ProfileTest, ListsThatDoNotFitEndInTwoNuls) {
    given("[S]\r\naaa=1\r\nbbb=2\r\n[T]\r\n[U]\r\n");
    Read cut = get("S", std::nullopt, "d", 6);
    EXPECT_EQ(cut.count, 4u);
    EXPECT_EQ(cut.written, std::string("aaa\0\0", 5));
    EXPECT_EQ(get("S", std::nullopt, "d", 8).written, std::string("aaa\0bb\0", 7));
    EXPECT_EQ(get("S", std::nullopt, "d", 9).count, 7u);  // filling the buffer exactly counts as cut
    EXPECT_EQ(get("S", std::nullopt, "d", 10).count, 8u);
    Read sections = get(std::nullopt, std::nullopt, "d", 4);
    EXPECT_EQ(sections.count, 2u);
    EXPECT_EQ(sections.written, std::string("S\0\0", 3));
    // Nothing listed: the default takes the list's place, as for an empty or missing section.
    EXPECT_EQ(get("S", std::nullopt, "d", 2).text, "d");
    EXPECT_EQ(get("T", std::nullopt, "dd").text, "dd");
    EXPECT_EQ(get("Q", std::nullopt, "dd").text, "dd");
}

TEST_F(ProfileTest, RepeatedSectionsOnlyTheFirstCounts) {
    given("[S]\r\na=1\r\n[T]\r\nb=2\r\n[s]\r\nc=3\r\na=9\r\n");
    EXPECT_EQ(value("S", "a"), "1");
    EXPECT_EQ(value("S", "c"), "dflt");
    EXPECT_EQ(get("S", std::nullopt).written, std::string("a\0\0", 3));
    EXPECT_EQ(get(std::nullopt, std::nullopt).written, std::string("S\0T\0s\0\0", 7));
}

TEST_F(ProfileTest, LineEndsOfEveryKindAndNoFinalNewline) {
    given("[S]\rA=1\rB=2\r[T]\rC=3");
    EXPECT_EQ(value("S", "b"), "2");
    EXPECT_EQ(value("T", "c"), "3");
    EXPECT_EQ(get("S", std::nullopt).written, std::string("A\0B\0\0", 5));
    given("[S]\nA=1\nB=2");
    EXPECT_EQ(value("S", "B"), "2");
}

TEST_F(ProfileTest, DamagedFilesReadWithoutHarm) {
    given(std::string("[S]\r\nA=x\0y\r\nB=\x01\xff\x80z\r\nC=2\r\n\xff\xfe[\x00\r\n", 31));
    EXPECT_EQ(value("S", "A"), "x");
    EXPECT_EQ(value("S", "B"), "\x01\xff\x80z");
    EXPECT_EQ(value("S", "C"), "2");
    std::string huge = "[S]\r\nL=" + std::string(70000, 'v') + "\r\nM=2\r\n[" + std::string(5000, 'x');
    given(huge);
    std::vector<char> buffer(80000);
    EXPECT_EQ(profile::get_string("S", "L", "", buffer.data(), 80000, m_file), 70000u);
    EXPECT_EQ(value("S", "M"), "2");
}

// Every section the file lists is found by the name listed, whatever blanks, control characters
// and NUL bytes its line holds (fuzzing found a name listed with a blank before a NUL).
TEST_F(ProfileTest, EveryListedSectionIsFoundByItsListedName) {
    given(std::string("[Application \0\0Interface]\r\nk=v\r\n[\x06\x09]\r\nw=1\r\n[ \x01 x\t]\r\ny=2\r\n", 57));
    const std::string list = get(std::nullopt, std::nullopt).written;
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size() && list[at] != '\0'; at = list.find('\0', at) + 1)
        names.push_back(list.substr(at, list.find('\0', at) - at));
    ASSERT_EQ(names.size(), 3u) << list;
    for (const auto& name : names) EXPECT_NE(get(name, std::nullopt).text, "dflt") << name;
}

TEST_F(ProfileTest, WriteCreatesFileSectionAndKeyWithCrLf) {
    ASSERT_TRUE(write("Sec", "Key", "  val  "));
    // Leading blanks of the value are dropped on writing, trailing ones on reading.
    EXPECT_EQ(read_bytes(m_file), "[Sec]\r\nKey=val  \r\n");
    EXPECT_EQ(value("Sec", "Key"), "val");
    ASSERT_TRUE(write("Sec", "key2", "\"\""));
    ASSERT_TRUE(write("sec", "KEY", "new"));
    ASSERT_TRUE(write("Other", "z", "1"));
    ASSERT_TRUE(write("Sec", "k3", "3"));
    ASSERT_TRUE(write("Other", "empty", ""));
    EXPECT_EQ(read_bytes(m_file), "[Sec]\r\nKey=new\r\nkey2=\"\"\r\nk3=3\r\n[Other]\r\nz=1\r\nempty=\r\n");
    EXPECT_EQ(value("Sec", "key2"), "");
    EXPECT_EQ(get("Other", std::nullopt).written, std::string("z\0empty\0\0", 9));
}

TEST_F(ProfileTest, DeletesKeysAndSections) {
    given("[Sec]\r\nKey=new\r\nkey2=x\r\nk3=3\r\n[Other]\r\nz=1\r\n");
    ASSERT_TRUE(write("SEC", "KEY2", std::nullopt));
    EXPECT_EQ(read_bytes(m_file), "[Sec]\r\nKey=new\r\nk3=3\r\n[Other]\r\nz=1\r\n");
    ASSERT_TRUE(write("sec", std::nullopt, std::nullopt));
    EXPECT_EQ(read_bytes(m_file), "[Other]\r\nz=1\r\n");
    EXPECT_TRUE(write("Nope", "z", std::nullopt));
    EXPECT_TRUE(write("Nope", std::nullopt, std::nullopt));
    EXPECT_EQ(read_bytes(m_file), "[Other]\r\nz=1\r\n");
    // Deleting from a file that is not there succeeds and leaves no file behind.
    std::string absent = m_folder.file("absent.ini");
    EXPECT_TRUE(profile::write_string("A", "x", std::nullopt, absent));
    EXPECT_FALSE(tolm::test::file_exists(absent));
}

TEST_F(ProfileTest, WritesKeepCommentsAndTheRestOfTheFile) {
    given(";top\r\n[A]\r\n;c\r\nx=1");
    ASSERT_TRUE(write("A", "x", "2"));
    ASSERT_TRUE(write("A", "n", "new"));
    EXPECT_EQ(read_bytes(m_file), ";top\r\n[A]\r\n;c\r\nx=2\r\nn=new\r\n");
    // With repeated sections the first is changed, and deleting takes only the first.
    given("[A]\r\nx=1\r\n[B]\r\n[A]\r\nx=5\r\n");
    ASSERT_TRUE(write("A", "x", "2"));
    EXPECT_EQ(read_bytes(m_file), "[A]\r\nx=2\r\n[B]\r\n[A]\r\nx=5\r\n");
    ASSERT_TRUE(write("A", std::nullopt, std::nullopt));
    EXPECT_EQ(read_bytes(m_file), "[B]\r\n[A]\r\nx=5\r\n");
}

TEST_F(ProfileTest, NewKeyLandsInItsSectionWhateverTheBlankLines) {
    given("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n\r\n");
    ASSERT_TRUE(write("A", "n", "new"));
    ASSERT_TRUE(write("B", "m", "more"));
    EXPECT_EQ(get("A", std::nullopt).written, std::string("x\0n\0\0", 5));
    EXPECT_EQ(get("B", std::nullopt).written, std::string("y\0m\0\0", 5));
}

TEST_F(ProfileTest, WriteIntoMissingFolderFails) {
    EXPECT_FALSE(profile::write_string("A", "x", "1", m_folder.file("no-such-folder/x.ini")));
}

}  // namespace
