#include "engine/search/address_search.h"

#include "engine/geo.h"
#include "engine/pack/pack_writer.h"
#include "engine/search/address_query.h"
#include "engine/search/phone_lookup.h"
#include "engine/search/street_name.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <span>
#include <string>

namespace tolm::engine::search {
namespace {

// A pack built in memory and read back through the validating reader, as the engine reads packs.
class MemoryPack {
public:
    explicit MemoryPack(const FeatureSet& features)
        : m_bytes(build_pack(features)),
          m_view(std::span(reinterpret_cast<const std::byte*>(m_bytes.data()), m_bytes.size()), "test pack") {}
    const PackView* view() const { return &m_view; }

private:
    std::string m_bytes;
    PackView m_view;
};

AddressRangeFeature range(std::string street, std::string from, std::string to, bool right, char parity,
                          std::string zip, Polyline points, std::string place = "Austin") {
    AddressRangeFeature r;
    r.street = std::move(street);
    r.from_number = std::move(from);
    r.to_number = std::move(to);
    r.right_side = right;
    r.parity = parity;
    r.zip = std::move(zip);
    r.place = std::move(place);
    r.state_code = "TX";
    r.points = std::move(points);
    return r;
}

// North Main Street runs east along 30.27 N for about 960 m: even numbers on its right (south)
// side, odd ones on its left (north) side.
FeatureSet austin() {
    FeatureSet set;
    const Polyline main_street{{-97.75, 30.27}, {-97.745, 30.27}, {-97.74, 30.27}};
    set.address_ranges.push_back(range("N Main St", "100", "198", true, 'E', "78701", main_street));
    set.address_ranges.push_back(range("N Main St", "101", "199", false, 'O', "78701", main_street));
    set.address_ranges.push_back(range("Congress Ave", "200", "300", true, 'B', "78702",
                                       {{-97.7431, 30.26}, {-97.7431, 30.28}}, ""));
    set.address_ranges.push_back(range("Mainland Dr", "1", "99", true, 'B', "78703", {{-97.8, 30.3}, {-97.79, 30.3}}));
    set.places.push_back({"Austin", "TX", "Travis", {-97.7431, 30.2672}, 960000});
    set.places.push_back({"Austin", "MN", "Mower", {-92.97, 43.67}, 25000});
    set.places.push_back({"Austin", "TX", "Travis", {-97.0, 30.0}, 10});  // a lesser duplicate
    set.zips.push_back({"78701", "Austin", "TX", "Travis", {-97.742, 30.271}});
    set.zips.push_back({"78702", "Austin", "TX", "Travis", {-97.72, 30.26}});
    return set;
}

TEST(StreetName, SpellingsOfOneStreetCompareEqual) {
    EXPECT_EQ(normalise_name("N. Main St"), "N MAIN ST");
    EXPECT_EQ(normalise_name("north  main   street"), "N MAIN ST");
    EXPECT_EQ(normalise_name("Martin Luther King Jr Boulevard East"), "MARTIN LUTHER KING JR BLVD E");
    EXPECT_EQ(core_street_name("N MAIN ST"), "MAIN");
    EXPECT_EQ(core_street_name("MARTIN LUTHER KING JR BLVD E"), "MARTIN LUTHER KING JR");
    // A name made only of a direction and a type keeps what makes it a name.
    EXPECT_EQ(core_street_name("N ST"), "N");
    EXPECT_EQ(normalise_name("Ma*n St?"), "MA*N ST?");
}

TEST(StreetName, WildcardsMatchWholeText) {
    EXPECT_TRUE(wildcard_match("MA*N ST", "MAIN ST"));
    EXPECT_TRUE(wildcard_match("MA*N ST", "MAN ST"));
    EXPECT_TRUE(wildcard_match("M?IN*", "MAIN ST"));
    EXPECT_FALSE(wildcard_match("M?IN", "MAIN ST"));
    EXPECT_FALSE(wildcard_match("MA?N", "MAN"));
    EXPECT_TRUE(wildcard_match("*", ""));
    // A star in the text is text: the pattern's star still stands for any run (found by fuzzing).
    EXPECT_TRUE(wildcard_match("*", "*_"));
    EXPECT_TRUE(wildcard_match("*_", "**_"));
    // Many stars over a long text must not take exponential time.
    EXPECT_FALSE(wildcard_match("A*A*A*A*A*A*A*A*A*B", std::string(200, 'A')));
}

TEST(AddressQuery, FieldsAreRecognisedFromTheEnd) {
    auto full = parse_address_query(" 150 north main street , Austin, tx, 78701-1234");
    EXPECT_EQ(full.house_number, "150");
    EXPECT_EQ(full.street, "N MAIN ST");
    EXPECT_EQ(full.place, "AUSTIN");
    EXPECT_EQ(full.state_code, "TX");
    EXPECT_EQ(full.zip, "78701");
    EXPECT_FALSE(full.street_or_place);

    auto place = parse_address_query("Austin, Texas");
    EXPECT_EQ(place.state_code, "TX");
    EXPECT_TRUE(place.street_or_place);
    EXPECT_EQ(place.place, "AUSTIN");

    EXPECT_EQ(parse_address_query("78701").zip, "78701");
    EXPECT_TRUE(parse_address_query("78701").street.empty());
    // A lone state name is more likely a town or a street.
    EXPECT_EQ(parse_address_query("Washington").state_code, "");
    // Ordinal street names are not house numbers; a unit letter is.
    EXPECT_EQ(parse_address_query("5th St").street, "5TH ST");
    EXPECT_EQ(parse_address_query("5th St").house_number, "");
    EXPECT_EQ(parse_address_query("12B Main St").house_number, "12");
    EXPECT_EQ(parse_address_query("100 5th St,,TX").street, "5TH ST");
}

TEST(AddressSearch, HouseNumberIsInterpolatedOnItsSideOfTheStreet) {
    MemoryPack pack(austin());
    AddressSearch search({pack.view()});

    auto even = search.find("150 North Main Street, Austin, TX");
    ASSERT_EQ(even.size(), 1u);
    EXPECT_EQ(even[0].street, "N Main St");
    EXPECT_EQ(even[0].house_number, "150");
    EXPECT_EQ(even[0].zip, "78701");
    // Half way along (150 of 100..198 is 51 %), on the south side.
    const LonLat on_line{-97.75 + 0.01 * 50.0 / 98.0, 30.27};
    EXPECT_NEAR(distance_metres(even[0].position, on_line), k_side_offset_metres, 0.5);
    EXPECT_LT(even[0].position.lat, 30.27);

    auto odd = search.find("151 Main St");
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_GT(odd[0].position.lat, 30.27);

    // The wrong state or ZIP code excludes the street.
    EXPECT_TRUE(search.find("150 Main St, Austin, MN").empty());
    EXPECT_TRUE(search.find("150 Main St, 78702").empty());
}

TEST(AddressSearch, StreetNamesMatchByCoreNameAndWildcards) {
    MemoryPack pack(austin());
    AddressSearch search({pack.view()});
    EXPECT_EQ(search.find("150 main, austin").size(), 1u);
    EXPECT_EQ(search.find("150 N Main").size(), 1u);
    // "Main*" finds Main St and Mainland Dr; a number limits it to the streets holding it.
    EXPECT_EQ(search.find("Main*, Austin").size(), 2u);
    EXPECT_EQ(search.find("50 Main*").size(), 1u);
    EXPECT_EQ(search.find("250 Con?ress Ave").size(), 1u);
    // A range without a place name takes the place of its ZIP code.
    auto congress = search.find("250 Congress Ave, Austin");
    ASSERT_EQ(congress.size(), 1u);
    EXPECT_EQ(congress[0].place, "Austin");
}

TEST(AddressSearch, NumberOutsideEveryRangeAnswersTheNearestEnd) {
    MemoryPack pack(austin());
    AddressSearch search({pack.view()});
    // 250 is past both sides of N Main St (100..198 even, 101..199 odd): 199, at the east end.
    auto past = search.find("250 Main St, Austin");
    ASSERT_EQ(past.size(), 1u);
    EXPECT_TRUE(past[0].nearest);
    EXPECT_EQ(past[0].house_number, "199");
    EXPECT_NEAR(distance_metres(past[0].position, {-97.74, 30.27}), k_side_offset_metres, 0.5);
    EXPECT_NE(past[0].found_item_text().find("\t78701 (nearest)\t"), std::string::npos);
    // Before the first range: its start, on the even side for 2 (100 is nearer than 101).
    auto before = search.find("2 Main St");
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].house_number, "100");
    EXPECT_LT(before[0].position.lat, 30.27);
    // A number some range holds lists no nearest rows beside it.
    auto held = search.find("150 Main*");
    ASSERT_EQ(held.size(), 1u);
    EXPECT_FALSE(held[0].nearest);
    EXPECT_EQ(held[0].found_item_text().find("(nearest)"), std::string::npos);
    // The state and ZIP still exclude; a street with no usable numbers gives no nearest end.
    EXPECT_TRUE(search.find("250 Main St, Austin, MN").empty());
    EXPECT_TRUE(search.find("250 Main St, 78702").empty());
}

TEST(AddressSearch, TrailingDirectionDropsLikeALeadingOne) {
    FeatureSet set;
    set.address_ranges.push_back(range("Main St W", "100", "198", true, 'E', "78701", {{-97.75, 30.27}, {-97.74, 30.27}}));
    set.address_ranges.push_back(range("E Oak Ave S", "1", "99", true, 'B', "78701", {{-97.75, 30.28}, {-97.74, 30.28}}));
    MemoryPack pack(set);
    AddressSearch search({pack.view()});
    for (const char* text : {"Main St", "150 Main St", "Main", "Main St W", "150 Main Street West"})
        EXPECT_EQ(search.find(text).size(), 1u) << text;
    for (const char* text : {"Oak Ave", "E Oak Ave", "Oak Ave S", "50 Oak", "Oak"})
        EXPECT_EQ(search.find(text).size(), 1u) << text;
    EXPECT_TRUE(search.find("Main Ave").empty());
}

TEST(AddressSearch, StreetWithoutNumberCentresOnItsWholeLength) {
    // Elm St in three segments given out of order, one drawn westwards, each on both sides: 300 m,
    // 100 m and 600 m from west to east, 1000 m in all. Its middle is 500 m from the west end.
    const double metre = 1.0 / (6371008.8 * 3.141592653589793 / 180.0 * std::cos(30.27 * 3.141592653589793 / 180.0));
    const double west = -97.75;
    const Polyline first{{west, 30.27}, {west + 300 * metre, 30.27}};
    const Polyline second{{west + 400 * metre, 30.27}, {west + 300 * metre, 30.27}};
    const Polyline third{{west + 400 * metre, 30.27}, {west + 700 * metre, 30.27}, {west + 1000 * metre, 30.27}};
    FeatureSet set;
    for (const Polyline* line : {&third, &first, &second}) {
        set.address_ranges.push_back(range("Elm St", "1", "99", false, 'O', "78701", *line));
        set.address_ranges.push_back(range("Elm St", "2", "98", true, 'E', line == &third ? "78702" : "78701", *line));
    }
    set.address_ranges.push_back(range("Elm St", "1", "99", true, 'B', "78750", {{-97.9, 30.5}, {-97.89, 30.5}}, "Cedar Park"));
    MemoryPack pack(set);
    AddressSearch search({pack.view()});

    auto rows = search.find("Elm St, Austin");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NEAR(distance_metres(rows[0].position, {west + 500 * metre, 30.27}), 0.0, 1.0);
    EXPECT_TRUE(rows[0].zip.empty());  // the street spans two ZIP codes
    // Without a place each place gives its own row.
    EXPECT_EQ(search.find("Elm St").size(), 2u);
}

TEST(AddressSearch, PlacesAndZipCodesGivePlaceResults) {
    MemoryPack pack(austin());
    AddressSearch search({pack.view()});

    auto texas = search.find("Austin, TX");
    ASSERT_EQ(texas.size(), 1u);  // the lesser duplicate is not listed again
    EXPECT_EQ(texas[0].place, "Austin");
    EXPECT_TRUE(texas[0].street.empty());
    EXPECT_TRUE(texas[0].house_number.empty());
    EXPECT_DOUBLE_EQ(texas[0].position.lat, 30.2672);

    EXPECT_EQ(search.find("Austin").size(), 2u);
    EXPECT_EQ(search.find("Aus*").size(), 2u);

    auto zip = search.find("78702");
    ASSERT_EQ(zip.size(), 1u);
    EXPECT_EQ(zip[0].zip, "78702");
    EXPECT_EQ(zip[0].place, "Austin");
    EXPECT_TRUE(search.find("99999").empty());
}

TEST(AddressSearch, FoundItemTextHasTheSevenFieldsTheServerReads) {
    AddressMatch match{"N Main St", "Austin", "150", "TX", "78701", {-97.745, 30.27}};
    EXPECT_EQ(match.found_item_text(), "N Main St\tAustin\t150\tTX\t78701\t\t-97.745,30.27");
}

TEST(AddressSearch, DamagedNumbersAndEmptyDataFindNothing) {
    FeatureSet set;
    set.address_ranges.push_back(range("Oak St", "N12W3", "N12W99", true, 'B', "53000", {{-88.0, 43.0}, {-88.0, 43.01}}));
    MemoryPack pack(set);
    AddressSearch search({pack.view()});
    EXPECT_TRUE(search.find("50 Oak St").empty());
    EXPECT_EQ(search.find("Oak St").size(), 1u);  // the street itself is still found
    EXPECT_TRUE(search.find("").empty());
    EXPECT_TRUE(search.find(",,,").empty());
    AddressSearch nothing({});
    EXPECT_TRUE(nothing.find("100 Main St").empty());
}

TEST(PhoneLookup, ExchangeFirstThenAreaCode) {
    FeatureSet set;
    set.phone_areas.push_back({"512", "Austin", "", "TX", {-97.74, 30.27}});
    set.phone_areas.push_back({"512345", "Round Rock", "Williamson", "TX", {-97.68, 30.51}});
    MemoryPack pack(set);
    PhoneLookup lookup({pack.view()});
    EXPECT_EQ(lookup.answer("512345"), "512345\tRound Rock\tWilliamson\tTX\t-97.68\t30.51");
    EXPECT_EQ(lookup.answer("512999"), "512999\tAustin\t\tTX\t-97.74\t30.27");
    EXPECT_EQ(lookup.answer("512"), "512\tAustin\t\tTX\t-97.74\t30.27");
    EXPECT_EQ(lookup.answer("999123"), "");
    EXPECT_EQ(lookup.answer("51"), "");
    EXPECT_EQ(lookup.answer("51a345"), "");
}

}  // namespace
}  // namespace tolm::engine::search

#include "engine/search/engine_search.h"

namespace tolm::engine::search {
namespace {

TEST(EngineSearch, ReportsEachMatchAndRebuildsAfterThePacksChange) {
    MemoryPack pack(austin());
    EngineSearch engine;
    std::vector<std::string> found;
    auto report = [&](const std::string& text) { found.push_back(text); };
    EXPECT_EQ(engine.address_search("150 Main St", report), 0);  // no packs yet
    engine.reset({pack.view()});
    EXPECT_EQ(engine.address_search("150 Main St", report), 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].starts_with("N Main St\tAustin\t150\tTX\t78701\t\t-97.74"));
    EXPECT_EQ(engine.phone_answer("512345"), "");
    engine.reset({});
    EXPECT_EQ(engine.address_search("150 Main St", report), 0);
}

}  // namespace
}  // namespace tolm::engine::search
