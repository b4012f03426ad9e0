#include "server/search/found_items.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolm::server {
namespace {

std::vector<FindResult> collect(void (*adder)(std::string_view, const AddToListSink&), std::string_view answer) {
    std::vector<FindResult> out;
    adder(answer, [&](const FindResult& row) { out.push_back(row); });
    return out;
}

TEST(FoundItems, ProperCaseBreaksWordsOnlyAtBlanks) {
    EXPECT_EQ(ProperCase("o'neil-smith"), "O'neil-smith");
    EXPECT_EQ(ProperCase("150 N MAIN ST, AUSTIN"), "150 N Main St, Austin");
    EXPECT_EQ(ProperCase("  two  blanks"), "  Two  Blanks");
    EXPECT_EQ(ProperCase(""), "");
}

TEST(FoundItems, AddressRowTitleFollowsThePrompt) {
    auto street = address_row("N MAIN ST\tAUSTIN\t150\tTX\t78701\t\t-97.745,30.27");
    ASSERT_TRUE(street);
    EXPECT_EQ(street->strTitle, "150 N Main St, Austin, TX, 78701");
    EXPECT_FALSE(street->blnIsPlace);
    EXPECT_DOUBLE_EQ(street->dblLong, -97.745);
    EXPECT_DOUBLE_EQ(street->dblLat, 30.27);

    // No house number and no street: a place; state and ZIP are appended unchanged.
    auto place = address_row("\tAUSTIN\t\ttx\t\t\t-97.7,30.2");
    ASSERT_TRUE(place);
    EXPECT_EQ(place->strTitle, "Austin, tx");
    EXPECT_TRUE(place->blnIsPlace);

    auto zip_only = address_row("\t\t\t\t78701\t\t-97.7,30.2");
    ASSERT_TRUE(zip_only);
    EXPECT_EQ(zip_only->strTitle, "78701");

    EXPECT_FALSE(address_row("a\tb\tc\td\te\tf"));                 // six fields
    EXPECT_FALSE(address_row("a\tb\tc\td\te\tf\t-97.7 30.2"));    // no comma
}

TEST(FoundItems, PhoneAnswer) {
    auto rows = collect(AddPhoneResult, "512345\tROUND ROCK\tWILLIAMSON\tTX\t-97.68\t30.51");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].strTitle, "512345, Round Rock, Williamson, TX");
    EXPECT_TRUE(rows[0].blnIsPlace);
    EXPECT_DOUBLE_EQ(rows[0].dblLong, -97.68);
    EXPECT_DOUBLE_EQ(rows[0].dblLat, 30.51);
    EXPECT_TRUE(collect(AddPhoneResult, "512345\tAustin\tTravis\tTX\t-97.7").empty());
}

TEST(FoundItems, CallsignEntriesOfThreeFieldsOnly) {
    auto rows = collect(AddCallsignResults, "AB1CD-9,-97.5,30.1\tbroken,1\tW5XYZ,-96,29.5,extra\tK5ABC,-95.25,29.75");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].strTitle, "AB1CD-9");
    EXPECT_DOUBLE_EQ(rows[0].dblLong, -97.5);
    EXPECT_FALSE(rows[0].blnIsPlace);
    EXPECT_EQ(rows[1].strTitle, "K5ABC");
    EXPECT_DOUBLE_EQ(rows[1].dblLat, 29.75);
}

}  // namespace
}  // namespace tolm::server
