#include "engine/search/us_states.h"

#include "engine/us_states.h"

#include <gtest/gtest.h>

#include <string>

namespace tolm::engine::search {
namespace {

TEST(StateCode, EveryPostalCodeAndNameInAnyCase) {
    for (const auto& state : us_states()) {
        if (!state.postal) continue;
        const std::string code(state.code);
        EXPECT_EQ(state_code_of(code), code);
        std::string lower = code;
        for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(state_code_of(lower), code);
        EXPECT_EQ(state_code_of(std::string(state.name)), code) << state.name;
    }
    EXPECT_EQ(state_code_of("  district of columbia "), "DC");
    EXPECT_EQ(state_code_of("North Carolina"), "NC");
    EXPECT_EQ(state_code_of("Texa"), "");
    EXPECT_EQ(state_code_of(""), "");
}

TEST(StateCode, TerritoriesByTheirCommonAndTheirCensusNames) {
    EXPECT_EQ(state_code_of("Virgin Islands"), "VI");
    EXPECT_EQ(state_code_of("United States Virgin Islands"), "VI");
    EXPECT_EQ(state_code_of("northern mariana islands"), "MP");
    EXPECT_EQ(state_code_of("Commonwealth of the Northern Mariana Islands"), "MP");
}

// No address carries UM: in an address "UM" is a word of the place or the street, not a state.
TEST(StateCode, TheMinorOutlyingIslandsAreNoStateOfAnAddress) {
    EXPECT_EQ(state_code_of("UM"), "");
    EXPECT_EQ(state_code_of("um"), "");
    EXPECT_EQ(state_code_of("United States Minor Outlying Islands"), "");
}

}  // namespace
}  // namespace tolm::engine::search
