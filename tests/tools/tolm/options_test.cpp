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
