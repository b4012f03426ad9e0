#include "platform/dispatch.h"
#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/variant.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tolm {
namespace {

std::int32_t error_number_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST(VariantTest, BooleansConvertAsTheRuntimeDoes) {
    EXPECT_EQ(Variant::boolean(true).to_int16(), -1);
    EXPECT_EQ(Variant::boolean(false).to_int32(), 0);
    EXPECT_TRUE(Variant(std::int16_t{2}).to_bool());
    EXPECT_TRUE(Variant("True").to_bool());
    EXPECT_FALSE(Variant(" false ").to_bool());
    EXPECT_TRUE(Variant("-1").to_bool());
    EXPECT_EQ(Variant::boolean(true).to_string(), "True");
    // An empty text is not a Boolean: the settings reader relies on this being a type mismatch.
    EXPECT_EQ(error_number_of([] { (void)Variant("").to_bool(); }), runtime_errors::type_mismatch);
    EXPECT_EQ(error_number_of([] { (void)Variant("yes").to_bool(); }), runtime_errors::type_mismatch);
}

TEST(VariantTest, WholeNumbersRoundHalfToEvenAndOverflow) {
    EXPECT_EQ(Variant(2.5).to_int16(), 2);
    EXPECT_EQ(Variant(3.5).to_int16(), 4);
    EXPECT_EQ(Variant(-2.5).to_int32(), -2);
    EXPECT_EQ(Variant("12").to_int32(), 12);
    EXPECT_EQ(error_number_of([] { (void)Variant(40000.0).to_int16(); }), runtime_errors::overflow);
    EXPECT_EQ(error_number_of([] { (void)Variant(3e9).to_int32(); }), runtime_errors::overflow);
    EXPECT_EQ(error_number_of([] { (void)Variant("12abc").to_int32(); }), runtime_errors::type_mismatch);
}

TEST(VariantTest, DoublesBecomeTextWithAPointInEveryLocale) {
    EXPECT_EQ(Variant(1.5).to_string(), "1.5");
    EXPECT_EQ(Variant(-122.425).to_string(), "-122.425");
    EXPECT_EQ(Variant(100.0).to_string(), "100");
    EXPECT_EQ(Variant(0.1 + 0.2).to_string(), "0.3");
    EXPECT_EQ(Variant(1e20).to_string(), "1E+20");
    EXPECT_EQ(Variant(1.5e-7).to_string(), "1.5E-07");
}

TEST(VariantTest, ObjectsAndArraysKeepTheirKind) {
    EXPECT_EQ(error_number_of([] { (void)Variant(1.0).to_object(); }), runtime_errors::object_required);
    StringArray captions(0, {"Search", "Zoom"});
    Variant v(captions);
    EXPECT_EQ(v.type(), VariantType::string_array);
    EXPECT_EQ(v.as_string_array().upper(), 1);
    EXPECT_EQ(v.as_string_array().at(1), "Zoom");
    EXPECT_EQ(error_number_of([&] { (void)v.as_string_array().at(2); }), runtime_errors::subscript_out_of_range);
    EXPECT_EQ(error_number_of([] { (void)StringArray{}.at(0); }), runtime_errors::subscript_out_of_range);
}

TEST(LeadingNumberTest, FollowsTheValRule) {
    EXPECT_DOUBLE_EQ(parse_leading_number("122.425W"), 122.425);
    EXPECT_DOUBLE_EQ(parse_leading_number(" 1 2 3"), 123);
    EXPECT_DOUBLE_EQ(parse_leading_number("-47.5,12"), -47.5);
    EXPECT_DOUBLE_EQ(parse_leading_number("abc"), 0);
    EXPECT_DOUBLE_EQ(parse_leading_number(""), 0);
    EXPECT_DOUBLE_EQ(parse_leading_number(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parse_leading_number("1e3x"), 1000);
    EXPECT_DOUBLE_EQ(parse_leading_number("&HFF"), 255);
    EXPECT_DOUBLE_EQ(parse_leading_number("&HFFFF"), -1);
    EXPECT_DOUBLE_EQ(parse_leading_number("&HE0BA96"), 0xE0BA96);
    // A comma is not a decimal point, whatever the user's locale says.
    EXPECT_DOUBLE_EQ(parse_leading_number("3,75"), 3);
}

TEST(LeadingNumberTest, IsTheNearestDoubleOnEveryPlatform) {
    // Exact equality: positions read from extent files are compared and written back digit for digit.
    EXPECT_EQ(parse_leading_number("51.50834"), 51.50834);
    EXPECT_EQ(parse_leading_number("-0.1666667"), -0.1666667);
    EXPECT_EQ(parse_leading_number("1 22.4 25"), 122.425);
    EXPECT_EQ(parse_leading_number("0.1e1"), 1.0);
    EXPECT_EQ(parse_leading_number("123456789012345678901234567890"), 123456789012345678901234567890.0);
    EXPECT_EQ(parse_leading_number("1e400"), HUGE_VAL);
    EXPECT_EQ(parse_leading_number("-1e400"), -HUGE_VAL);
    EXPECT_EQ(parse_leading_number("1e-400"), 0.0);
}

TEST(TextTest, AnsiConversionRoundTripsTheCodePage) {
    std::string utf8 = "Caf\xC3\xA9 \xE2\x82\xAC 5";  // "Café € 5"
    std::string ansi = utf8_to_ansi(utf8);
    EXPECT_EQ(ansi, std::string("Caf\xE9 \x80 5"));
    EXPECT_EQ(ansi_to_utf8(ansi), utf8);
    EXPECT_EQ(utf8_to_ansi("\xE6\x97\xA5"), "?");  // no such character in the code page
    EXPECT_EQ(utf8_to_ansi("\xC3"), "?");          // a cut-off sequence does not read past the end
}

TEST(TextTest, SplitKeepsEmptyFieldsAsSplitDoes) {
    EXPECT_EQ(split_text("a,,b", ','), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_EQ(split_text("", ','), (std::vector<std::string_view>{""}));
    EXPECT_EQ(split_fields("TX,20,", ','), (std::vector<std::string>{"TX", "20", ""}));
}

TEST(DynamicDispatchTest, LateCallsFindMembersWhateverTheirCase) {
    auto object = std::make_shared<DynamicDispatch>();
    double width = 640;
    object->add_property("ScaleWidth", [&] { return Variant(width); }, [&](const Variant& v) { width = v.to_double(); });
    object->add_method("Twice", [](Arguments& args) {
        args[0] = args[0].to_int32() * 2;  // by reference: the caller sees the change
        return Variant::boolean(true);
    });
    ObjectRef ref = object;
    EXPECT_DOUBLE_EQ(get_property(ref, "scalewidth").to_double(), 640);
    put_property(ref, "SCALEWIDTH", Variant(800.0));
    EXPECT_DOUBLE_EQ(width, 800);
    Arguments args{Variant(std::int32_t{21})};
    EXPECT_TRUE(call_method(ref, "twice", args).to_bool());
    EXPECT_EQ(args[0].to_int32(), 42);
    EXPECT_EQ(error_number_of([&] { call_method(ref, "Missing"); }), runtime_errors::object_does_not_support_member);
    EXPECT_EQ(error_number_of([] { call_method(nullptr, "Twice"); }), runtime_errors::object_variable_not_set);
}

TEST(RuntimeErrorTest, ErrorNumbersBecomeControlFacilityResults) {
    EXPECT_EQ(static_cast<std::uint32_t>(hresult_from_error_number(13)), 0x800A000Du);
    EXPECT_EQ(static_cast<std::uint32_t>(hresult_from_error_number(runtime_errors::object_error_base + 27049)),
              0x800469A9u);
}

}  // namespace
}  // namespace tolm
