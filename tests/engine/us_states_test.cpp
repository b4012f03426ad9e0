#include "engine/us_states.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tolm::engine {
namespace {

TEST(UsStates, EveryCensusEntryOnceByFipsAndByCode) {
    std::set<std::string_view> fips, codes;
    for (const auto& state : us_states()) {
        EXPECT_TRUE(fips.insert(state.fips).second) << state.fips;
        EXPECT_TRUE(codes.insert(state.code).second) << state.code;
        EXPECT_EQ(state.fips.size(), 2u);
        EXPECT_EQ(state.code.size(), 2u);
        EXPECT_FALSE(state.name.empty());
    }
    // 50 states, the District of Columbia, five inhabited territories and the Minor Outlying Islands.
    EXPECT_EQ(us_states().size(), 57u);
    EXPECT_EQ(state_by_fips("48")->code, "TX");
    EXPECT_EQ(state_by_code("tx")->fips, "48");
    EXPECT_FALSE(state_by_fips("03")) << "a number the Census left out";
    EXPECT_FALSE(state_by_code("XX"));
}

// The entry the import knows and the address search does not: the Census numbers the islands, the
// postal service gives them no code.
TEST(UsStates, TheMinorOutlyingIslandsHaveACensusNumberButNoPostalCode) {
    const auto islands = state_by_fips("74");
    ASSERT_TRUE(islands);
    EXPECT_EQ(islands->code, "UM");
    EXPECT_EQ(islands->name, "United States Minor Outlying Islands");
    EXPECT_FALSE(islands->postal);
    EXPECT_EQ(state_by_code("um")->fips, "74");
    std::size_t postal = 0;
    for (const auto& state : us_states()) postal += state.postal;
    EXPECT_EQ(postal, 56u);
}

TEST(UsStates, TerritoriesKeepTheCensusNameAndTheCommonOne) {
    EXPECT_EQ(state_by_code("VI")->name, "United States Virgin Islands");
    EXPECT_EQ(state_by_code("VI")->short_name, "Virgin Islands");
    EXPECT_EQ(state_by_code("MP")->name, "Commonwealth of the Northern Mariana Islands");
    EXPECT_EQ(state_by_code("MP")->short_name, "Northern Mariana Islands");
}

}  // namespace
}  // namespace tolm::engine
