#include "server/sat_file.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>

namespace tolm::server {
namespace {

TEST(SatFile, NameReplacesTheLastThreeCharacters) {
    EXPECT_EQ(sat_path_for_underlay("C:\\U\\Map.bmp"), "C:\\U\\Map.SAT");
    EXPECT_EQ(sat_path_for_underlay("Map.jpeg"), "Map.jSAT");
    EXPECT_EQ(sat_path_for_underlay("abc"), "SAT");
    EXPECT_FALSE(sat_path_for_underlay("ab"));
    EXPECT_FALSE(sat_path_for_underlay(""));
}

class SatExtentFile : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(m_path); }
    std::string write(const std::string& text) {
        std::ofstream(m_path, std::ios::binary) << text;
        return m_path.string();
    }
    std::filesystem::path m_path = std::filesystem::temp_directory_path() / "tolm_sat_test.SAT";
};

TEST_F(SatExtentFile, ReadsFourFieldsOfTheFirstLine) {
    auto extent = read_sat_extent(write("-0.1666667, 51.50834, 0.25, 51.25\r\n1,2,3,4\r\n"));
    ASSERT_TRUE(extent);
    EXPECT_DOUBLE_EQ(extent->west, -0.1666667);
    EXPECT_DOUBLE_EQ(extent->north, 51.50834);
    EXPECT_DOUBLE_EQ(extent->east, 0.25);
    EXPECT_DOUBLE_EQ(extent->south, 51.25);
    // Tabs and trailing text are the number parser's business; fields without digits give 0.
    extent = read_sat_extent(write("\t-1.5deg,x,3 ,4"));
    ASSERT_TRUE(extent);
    EXPECT_DOUBLE_EQ(extent->west, -1.5);
    EXPECT_DOUBLE_EQ(extent->north, 0);
}

TEST_F(SatExtentFile, IgnoresOtherFieldCountsAndMissingFiles) {
    EXPECT_FALSE(read_sat_extent(write("1,2,3,4,5\r\n")));
    EXPECT_FALSE(read_sat_extent(write("1,2,3\r\n1,2,3,4\r\n")));
    EXPECT_FALSE(read_sat_extent(write("")));
    std::filesystem::remove(m_path);
    EXPECT_FALSE(read_sat_extent(m_path.string()));
}


TEST(SatLine, SinglePrecisionInTheGeneralFormat) {
    // 51 degrees 30.5 minutes held in single precision, and the other corners of a London map.
    EXPECT_EQ(FormatSatLine(-0.1666667f, 51.0f + 30.5f / 60.0f, 0.25f, 51.25f), "-0.1666667, 51.50834, 0.25, 51.25");
    EXPECT_EQ(FormatSingle(0.0f), "0");
    EXPECT_EQ(FormatSingle(-0.0f), "0");
    EXPECT_EQ(FormatSingle(-122.425f), "-122.425");
    EXPECT_EQ(FormatSingle(180.0f), "180");
    EXPECT_EQ(FormatSingle(12345678.0f), "1.234568E+07");
}

// A comma as the decimal separator for both the C and the C++ locale of the process, as a user's
// German settings give it; restored afterwards.
class CommaLocale : public ::testing::Test {
protected:
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    void SetUp() override {
        m_saved_c = std::setlocale(LC_ALL, nullptr);
        m_saved_cpp = std::locale::global(std::locale(std::locale::classic(), new Comma));
        m_c_comma = set_comma_c_locale();
    }
    void TearDown() override {
        std::setlocale(LC_ALL, m_saved_c.c_str());
        std::locale::global(m_saved_cpp);
    }
    bool set_comma_c_locale() {
        for (const char* name : {"de_DE.UTF-8", "German_Germany.1252", "de-DE"})
            if (std::setlocale(LC_ALL, name)) return true;
#ifndef _WIN32
        // A machine without the German locale generated: make it for this process only.
        static const test::ScratchFolder folder("locale");
        const std::string command = "localedef -i de_DE -f UTF-8 '" + folder.file("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            test::set_environment("LOCPATH", folder.path().string());
            if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return true;
        }
#endif
        return false;
    }
    std::string m_saved_c;
    std::locale m_saved_cpp;
    bool m_c_comma = false;
};

TEST_F(CommaLocale, TheSatLineStillUsesThePoint) {
    // The locale really is in force, or the test would prove nothing.
    std::ostringstream cpp;
    cpp.imbue(std::locale());
    cpp << 0.25;
    EXPECT_EQ(cpp.str(), "0,25");
    if (m_c_comma) {
        char c_text[16];
        std::snprintf(c_text, sizeof c_text, "%.2f", 0.25);
        EXPECT_STREQ(c_text, "0,25");
    } else {
        ADD_FAILURE() << "no comma-decimal C locale could be set on this machine";
    }
    EXPECT_EQ(FormatSatLine(-0.1666667f, 51.0f + 30.5f / 60.0f, 0.25f, 51.25f), "-0.1666667, 51.50834, 0.25, 51.25");
}

}  // namespace
}  // namespace tolm::server
