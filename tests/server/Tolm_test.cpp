#include "server/Tolm.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tolm::server {
namespace {

std::pair<std::string, std::string> format(double lat, double lon) {
    std::string lat_text, lon_text;
    FormatPosition(lat, lon, lat_text, lon_text);
    return {lat_text, lon_text};
}

TEST(FormatPosition, WritesDegreesMinutesAndHemisphere) {
    EXPECT_EQ(format(47.6045, -122.425), std::make_pair(std::string("47.36.27N"), std::string("122.25.50W")));
    EXPECT_EQ(format(-33.5, 151.25), std::make_pair(std::string("33.30.00S"), std::string("151.15.00E")));
    EXPECT_EQ(format(0, 0), std::make_pair(std::string("00.00.00N"), std::string("000.00.00E")));
    EXPECT_EQ(format(5.5, -7.25), std::make_pair(std::string("05.30.00N"), std::string("007.15.00W")));
}

TEST(FormatPosition, KeepsRoundedSixtyMinutesAndWidensLargeDegrees) {
    EXPECT_EQ(format(10.99999, 0).first, "10.60.00N");
    EXPECT_EQ(format(100.5, 1000.5), std::make_pair(std::string("100.30.00N"), std::string("1000.30.00E")));
}

TEST(FormatPosition, OverflowsBeyondSixteenBitDegrees) {
    std::string lat = "unchanged", lon = "unchanged";
    try {
        FormatPosition(40000.0, 0, lat, lon);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::overflow);
    }
    EXPECT_EQ(lat, "unchanged");
    EXPECT_NO_THROW(FormatPosition(32767.5, -32767.5, lat, lon));
}

TEST(ParseCoordinate, ReadsDegreesMinutesWholeDegreesAndSign) {
    EXPECT_FLOAT_EQ(ParseCoordinate("122.25.50W"), -122.425F);
    EXPECT_FLOAT_EQ(ParseCoordinate("47.36.27N"), 47.6045F);
    EXPECT_FLOAT_EQ(ParseCoordinate("47N"), 47.0F);
    EXPECT_FLOAT_EQ(ParseCoordinate("33.30S"), -33.5F);
    // Decimal degrees are not a form the INF files use: .5 reads as five minutes.
    EXPECT_FLOAT_EQ(ParseCoordinate("47.5N"), static_cast<float>(47 + 5.0 / 60));
    EXPECT_FLOAT_EQ(ParseCoordinate("47.36.27n"), 0.0F);
    EXPECT_FLOAT_EQ(ParseCoordinate("47.36"), 0.0F);
}

TEST(ParseCoordinate, EmptyTextIsAnInvalidProcedureCall) {
    try {
        ParseCoordinate("");
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::invalid_procedure_call);
    }
}

TEST(ParseLatLonPair, AcceptsEitherOrderAndNeedsAComma) {
    float x = 0, y = 0;
    ASSERT_TRUE(ParseLatLonPair("47.36.27N,122.25.50W", x, y));
    EXPECT_FLOAT_EQ(x, -122.425F);
    EXPECT_FLOAT_EQ(y, 47.6045F);
    x = y = 0;
    ASSERT_TRUE(ParseLatLonPair(" 122.25.50W , 47.36.27N ", x, y));
    EXPECT_FLOAT_EQ(x, -122.425F);
    EXPECT_FLOAT_EQ(y, 47.6045F);

    x = 1, y = 2;
    EXPECT_FALSE(ParseLatLonPair("122.25.50W", x, y));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_THROW(ParseLatLonPair("47.36.27N,", x, y), RuntimeError);
}

class InfFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = std::filesystem::temp_directory_path() /
                 ("tolm_inf_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".INF");
    }
    void TearDown() override { std::filesystem::remove(m_path); }
    std::string write(const std::string& text) {
        std::ofstream(m_path, std::ios::binary) << text;
        return m_path.string();
    }
    std::filesystem::path m_path;
};

TEST_F(InfFile, ReadsTheTwoCornerLinesAfterComments) {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_TRUE(ReadInfCorners(write("; a map\r\n;\r\n  122.25.50w , 47.36.27n \r\n47.30.00N,122.00.00W\r\nignored\r\n"),
                               x1, y1, x2, y2));
    EXPECT_FLOAT_EQ(x1, -122.425F);
    EXPECT_FLOAT_EQ(y1, 47.6045F);
    EXPECT_FLOAT_EQ(x2, -122.0F);
    EXPECT_FLOAT_EQ(y2, 47.5F);
    // Files written with bare line feeds read the same.
    ASSERT_TRUE(ReadInfCorners(write("001.00.00E,02.00.00N\n003.00.00E,04.00.00S"), x1, y1, x2, y2));
    EXPECT_FLOAT_EQ(y2, -4.0F);
}

TEST_F(InfFile, FailsOnMissingShortOrMalformedFiles) {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    EXPECT_FALSE(ReadInfCorners(m_path.string(), x1, y1, x2, y2));                        // missing
    EXPECT_FALSE(ReadInfCorners(write("122.25.50W,47.36.27N\r\n"), x1, y1, x2, y2));       // one corner
    EXPECT_FALSE(ReadInfCorners(write("; only\r\n; comments\r\n"), x1, y1, x2, y2));      // none
    EXPECT_FALSE(ReadInfCorners(write("\r\n122.25.50W,47.36.27N\r\n1E,1N\r\n"), x1, y1, x2, y2));  // empty line
    EXPECT_FALSE(ReadInfCorners(write("  ; not a comment\r\n1E,1N\r\n"), x1, y1, x2, y2));
    EXPECT_FALSE(ReadInfCorners(write("47.36.27N,\r\n1E,1N\r\n"), x1, y1, x2, y2));        // error inside
    EXPECT_FALSE(ReadInfCorners(std::filesystem::temp_directory_path().string(), x1, y1, x2, y2));
}

TEST(SmallHelpers, TextKeyAndRangeTests) {
    EXPECT_EQ(CommaToPoint("1,5,2"), "1.5.2");
    EXPECT_TRUE(IsBetween(5, 10, 1));
    EXPECT_TRUE(IsBetween(5, 1, 10));
    EXPECT_TRUE(IsBetween(10, 1, 10));
    EXPECT_FALSE(IsBetween(0, 1, 10));
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("12a"));
    EXPECT_FALSE(IsAllDigits(" 1"));
    EXPECT_TRUE(IsDigitOrControlKey('7'));
    EXPECT_TRUE(IsDigitOrControlKey(8));
    EXPECT_TRUE(IsDigitOrControlKey(13));
    EXPECT_FALSE(IsDigitOrControlKey(14));
    EXPECT_FALSE(IsDigitOrControlKey('A'));
    EXPECT_EQ(UpperCaseKey('a'), 'A');
    EXPECT_EQ(UpperCaseKey('z'), 'Z');
    EXPECT_EQ(UpperCaseKey('{'), '{');
    EXPECT_EQ(UpperCaseKey('5'), '5');
}

TEST(SmallHelpers, FileExistsCountsFolders) {
    EXPECT_TRUE(FileExists(std::filesystem::temp_directory_path().string()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists((std::filesystem::temp_directory_path() / "no such tolm file").string()));
}

}  // namespace
}  // namespace tolm::server
