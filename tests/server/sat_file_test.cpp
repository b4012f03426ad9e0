#include "server/sat_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace tolm::server
