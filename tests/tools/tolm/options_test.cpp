#include "tools/tolm/options.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tolm::cli {
namespace {

Options parse(std::vector<std::string> args) { return parse_options(args); }

TEST(SearchOptions, KindsByNameInTheOrderOfTheKindButtons) {
    const std::vector<std::string> names{"address", "phone", "callsign", "state", "COUNTY", "MileMarker"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(search_kind_index(names[static_cast<std::size_t>(i)]), i);
    EXPECT_EQ(search_kind_index("mile"), -1);
    EXPECT_EQ(search_kind_index(""), -1);
    EXPECT_THROW(parse({"--search", "zip", "78701"}), std::invalid_argument);
}

TEST(SearchOptions, SearchTakesKindAndTextAndMakesThePictureOptional) {
    const Options options = parse({"--search", "county", "Travis, TX", "--go-to", "2"});
    ASSERT_TRUE(options.search);
    EXPECT_EQ(options.search->kind, 4);
    EXPECT_EQ(options.search->text, "Travis, TX");
    EXPECT_EQ(options.search->go_to, 2);
    EXPECT_TRUE(options.png.empty());
    // Without a search a picture is the point of the run.
    EXPECT_THROW(parse({"--size", "10x10"}), std::invalid_argument);
    EXPECT_THROW(parse({"--search", "state"}), std::invalid_argument);
}

TEST(SearchOptions, GoToMayComeFirstButNeedsASearch) {
    const Options options = parse({"--go-to", "3", "--search", "state", "T", "--out", "x.png"});
    ASSERT_TRUE(options.search);
    EXPECT_EQ(options.search->kind, 3);
    EXPECT_EQ(options.search->go_to, 3);
    EXPECT_THROW(parse({"--go-to", "1", "--out", "x.png"}), std::invalid_argument);
    for (const char* row : {"0", "-1", "1.5", "two", "40000"})
        EXPECT_THROW(parse({"--search", "state", "T", "--go-to", row}), std::invalid_argument) << row;
}

TEST(SearchOptions, ThenStepsRunAfterTheGoToAndApartFromTheDrawingSteps) {
    const Options options = parse({"--zoom-in", "--search", "address", "Main St", "--go-to", "1", "--then", "zoom-out",
                                   "--then", "pan:6", "--then", "zoom-all"});
    ASSERT_EQ(options.steps.size(), 1u);
    EXPECT_EQ(options.steps[0].kind, StepKind::zoom_in);
    ASSERT_EQ(options.after_search.size(), 3u);
    EXPECT_EQ(options.after_search[0].kind, StepKind::zoom_out);
    EXPECT_EQ(options.after_search[1].kind, StepKind::pan);
    EXPECT_EQ(options.after_search[1].pan_code, 6);
    EXPECT_EQ(options.after_search[2].kind, StepKind::zoom_all);
    // Nothing is found to be seen around without a Go To.
    EXPECT_THROW(parse({"--search", "state", "T", "--then", "zoom-out"}), std::invalid_argument);
    EXPECT_THROW(parse({"--then", "zoom-out", "--out", "x.png"}), std::invalid_argument);
    for (const char* bad : {"zoom", "pan", "pan:", "pan:nan", "pan:1e9", "pan:1.5", "--zoom-out"})
        EXPECT_THROW(parse({"--search", "state", "T", "--go-to", "1", "--then", bad}), std::invalid_argument) << bad;
}

TEST(SearchOptions, StationsAreCallsignAndPosition) {
    const Options options =
        parse({"--search", "callsign", "W5", "--station", "W5ABC-9,-97.5,30.1", "--station", "K5XYZ,-97,30"});
    ASSERT_EQ(options.stations.size(), 2u);
    EXPECT_EQ(options.stations[0].callsign, "W5ABC-9");
    EXPECT_DOUBLE_EQ(options.stations[0].lon, -97.5);
    EXPECT_DOUBLE_EQ(options.stations[1].lat, 30.0);
    for (const char* bad : {"W5ABC", ",-97,30", "W5ABC,-97", "W5ABC,-97,30,1", "W5ABC,east,30"})
        EXPECT_THROW(parse({"--search", "callsign", "W5", "--station", bad}), std::invalid_argument) << bad;
}

// Numbers are checked as doubles before any conversion (UBSan found --size 1e20x10 and --pan nan).
TEST(DrawingOptions, NumbersOutOfRangeOrNotFiniteAreRefused) {
    for (const char* size : {"1e20x10", "10x1e20", "nanx10", "10xinf", "-1x10", "10.5x10", "40000x10"})
        EXPECT_THROW(parse({"--size", size, "--out", "x.png"}), std::invalid_argument) << size;
    for (const char* code : {"nan", "inf", "-inf", "1e300", "6.5"})
        EXPECT_THROW(parse({"--pan", code, "--out", "x.png"}), std::invalid_argument) << code;
    for (const char* centre : {"500,100", "0,91", "nan,0", "-181,0"})
        EXPECT_THROW(parse({"--centre", centre, "--out", "x.png"}), std::invalid_argument) << centre;
    EXPECT_THROW(parse({"--corners", "nan,1,2,3", "--out", "x.png"}), std::invalid_argument);
    EXPECT_THROW(parse({"--go-to", "1e300", "--search", "state", "T"}), std::invalid_argument);
    const Options options = parse({"--size", "32767x1", "--pan", "6", "--centre", "180,-90", "--out", "x.png"});
    EXPECT_EQ(options.width, 32767);
    EXPECT_TRUE(parse({"--version"}).version);
}

TEST(PropertyOptions, SetKeepsNameAndValueInOrder) {
    const Options options = parse({"--out", "m.png", "--set", "blnOnewayShow=True", "--set", "strData2=C:\\Maps\\a=b"});
    ASSERT_EQ(options.settings.size(), 2u);
    EXPECT_EQ(options.settings[0].name, "blnOnewayShow");
    EXPECT_EQ(options.settings[0].value, "True");
    EXPECT_EQ(options.settings[1].value, "C:\\Maps\\a=b") << "only the first = separates";
    for (const char* bad : {"blnMono", "=True"})
        EXPECT_THROW(parse({"--out", "m.png", "--set", bad}), std::invalid_argument) << bad;
}

TEST(LayerOptions, ChoicesZoomsAndMakeUnderlay) {
    const Options options = parse({"--overlay", "Roads.OVR", "--underlay", "Town.BMP", "--zoom-underlay", "--zoom-in",
                                   "--zoom-overlay", "--out", "m.png"});
    EXPECT_EQ(options.overlay, "Roads.OVR");
    EXPECT_EQ(options.underlay, "Town.BMP");
    ASSERT_EQ(options.steps.size(), 3u);
    EXPECT_EQ(options.steps[0].kind, StepKind::zoom_underlay);
    EXPECT_EQ(options.steps[2].kind, StepKind::zoom_overlay);
    EXPECT_NO_THROW(parse({"--list-layers"}));  // listing needs no picture
    EXPECT_EQ(parse({"make-underlay", "Town.INF", "--work", "w"}).make_underlay, "Town.INF");
    EXPECT_THROW(parse({"make-underlay"}), std::invalid_argument);
    EXPECT_THROW(parse({"--out", "m.png", "make-underlay", "Town.INF"}), std::invalid_argument);  // a command comes first
}

}  // namespace
}  // namespace tolm::cli
