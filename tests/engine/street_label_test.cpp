#include "engine/street_label.h"

#include <gtest/gtest.h>

namespace tolm::engine {
namespace {

TEST(StreetLabel, TypesAndDirectionsTakeThePostalAbbreviationsByTheirPlace) {
    EXPECT_EQ(abbreviate_street_name("Northwest 9th Avenue"), "NW 9th Ave");
    EXPECT_EQ(abbreviate_street_name("West Burnside Street"), "W Burnside St");
    EXPECT_EQ(abbreviate_street_name("Martin Luther King Junior Boulevard East"), "Martin Luther King Junior Blvd E");
    EXPECT_EQ(abbreviate_street_name("southeast hawthorne boulevard"), "SE hawthorne Blvd");
    // A word that is all that names the street stays whole.
    EXPECT_EQ(abbreviate_street_name("North Street"), "North St");
    EXPECT_EQ(abbreviate_street_name("Avenue Road"), "Avenue Rd");
    EXPECT_EQ(abbreviate_street_name("Broadway"), "Broadway");
    EXPECT_EQ(abbreviate_street_name("East Street North"), "East St N");
    // Words inside the name are not touched.
    EXPECT_EQ(abbreviate_street_name("Avenue of the Stars"), "Avenue of the Stars");
    EXPECT_EQ(abbreviate_street_name("  Main   Street "), "Main St");
    EXPECT_EQ(abbreviate_street_name(""), "");
}

TEST(StreetLabel, OnlyWellFormedUtf8WithoutControlCharactersIsDrawable) {
    EXPECT_TRUE(is_drawable_text("Main St"));
    EXPECT_TRUE(is_drawable_text("Rue Sainte-Cathérine"));
    EXPECT_TRUE(is_drawable_text("Улица Ленина"));
    EXPECT_TRUE(is_drawable_text("中山路"));
    EXPECT_TRUE(is_drawable_text("\xF0\x9F\x9A\x97 Road"));
    EXPECT_FALSE(is_drawable_text("Caf\xE9"));            // Windows-1252, not UTF-8
    EXPECT_FALSE(is_drawable_text("\xC0\xAF"));           // an overlong slash
    EXPECT_FALSE(is_drawable_text("\xED\xA0\x80"));       // a surrogate
    EXPECT_FALSE(is_drawable_text("\xF4\x90\x80\x80"));   // beyond Unicode
    EXPECT_FALSE(is_drawable_text("Ends in \xE4\xB8"));   // cut short
    EXPECT_FALSE(is_drawable_text("Tab\tSt"));
    EXPECT_FALSE(is_drawable_text(std::string_view("Nul\0St", 6)));
}

}  // namespace
}  // namespace tolm::engine
