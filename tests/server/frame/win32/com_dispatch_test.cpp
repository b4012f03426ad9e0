// The automation bridge: the client's objects bound late by name through their IDispatch, and the
// conversions between the client's BSTR, VARIANT and SAFEARRAY and the server's own values.
#include "com_support.h"

#include "platform/runtime_error.h"
#include "platform/win32/com_dispatch.h"

#include <gtest/gtest.h>

namespace tolm::test {
namespace {

namespace com = platform::com;

TEST(ComConversion, TextSurvivesTheRoundTripThroughBstr) {
    const std::string text = "Malm\xC3\xB6 \xE2\x80\x94 K7ABC";  // UTF-8 outside the ANSI code page too
    BSTR converted = com::to_bstr(text);
    EXPECT_EQ(SysStringLen(converted), 13u);
    EXPECT_EQ(com::from_bstr(converted), text);
    SysFreeString(converted);
    EXPECT_EQ(com::from_bstr(nullptr), "") << "a null BSTR is the empty string";
}

TEST(ComConversion, StringArraysKeepBoundsAndUnallocatedStaysNull) {
    StringArray captions(1, {"Find", "", "Zoom to overlay"});
    SAFEARRAY* array = com::safearray_from_string_array(captions);
    ASSERT_NE(array, nullptr);
    LONG lower = 0;
    SafeArrayGetLBound(array, 1, &lower);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(com::string_array_from_safearray(array), captions);
    SafeArrayDestroy(array);

    EXPECT_EQ(com::safearray_from_string_array(StringArray{}), nullptr);
    EXPECT_FALSE(com::string_array_from_safearray(nullptr).allocated);

    SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 0, 2);
    try {
        com::string_array_from_safearray(numbers);
        ADD_FAILURE() << "an array of Longs is not a String array";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::type_mismatch);
    }
    SafeArrayDestroy(numbers);
}

TEST(ComConversion, AssigningIntoTheClientsArray) {
    SAFEARRAY* array = com::safearray_from_string_array(StringArray(0, {"a", "b"}));
    SAFEARRAY* same = array;
    com::assign_string_array(&array, StringArray(0, {"c", "d"}));
    EXPECT_EQ(array, same) << "same bounds: the elements are replaced in place";
    EXPECT_EQ(com::string_array_from_safearray(array), StringArray(0, {"c", "d"}));
    com::assign_string_array(&array, StringArray(0, {"x", "y", "z"}));
    EXPECT_EQ(com::string_array_from_safearray(array), StringArray(0, {"x", "y", "z"}));
    SafeArrayDestroy(array);

    // A fixed-size array cannot be re-dimensioned, as ReDim on it fails.
    SAFEARRAY* fixed = com::safearray_from_string_array(StringArray(0, {"a"}));
    fixed->fFeatures |= FADF_FIXEDSIZE;
    try {
        com::assign_string_array(&fixed, StringArray(0, {"a", "b"}));
        ADD_FAILURE() << "re-dimensioning a fixed array";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 10);
    }
    EXPECT_EQ(com::string_array_from_safearray(fixed), StringArray(0, {"a"})) << "left as it was";
    fixed->fFeatures &= static_cast<USHORT>(~FADF_FIXEDSIZE);
    SafeArrayDestroy(fixed);
}

TEST(ComConversion, VariantsBothWays) {
    const Variant values[] = {Variant(), Variant::boolean(true), Variant::boolean(false), Variant(std::int16_t{-3}),
                              Variant(std::int32_t{0x00FF8040}), Variant(2.5), Variant("Kartovex"),
                              Variant(StringArray(0, {"one"})), Variant(ByteArray{1, {0, 255}})};
    for (const Variant& value : values) {
        VARIANT converted;
        com::to_com(value, converted);
        EXPECT_EQ(com::from_com(converted), value);
        // By reference, as the client passes its variables.
        VARIANT by_reference;
        VariantInit(&by_reference);
        by_reference.vt = VT_BYREF | VT_VARIANT;
        by_reference.pvarVal = &converted;
        EXPECT_EQ(com::from_com(by_reference), value);
        VariantClear(&converted);
    }
    VARIANT currency;
    VariantInit(&currency);
    currency.vt = VT_CY;
    currency.cyVal.int64 = 12345;  // 1.2345
    EXPECT_DOUBLE_EQ(com::from_com(currency).to_double(), 1.2345);
}

// A portable object seen from the client's side and back: the late-binding path the server uses
// for the client's picture box, form and events object.
class LateBinding : public ::testing::Test {
protected:
    void SetUp() override {
        m_host = std::make_shared<DynamicDispatch>();
        m_host->add_method("SignalInformation", [this](Arguments& args) {
            m_calls.push_back(args);
            for (auto& arg : args)
                if (arg.type() == VariantType::double_real) arg = Variant(arg.to_double() + 1);
            return Variant();
        });
        m_host->add_method("Fail", [](Arguments&) -> Variant {
            throw RuntimeError(5, "Wendal32", "Invalid procedure call or argument");
        });
        double scale = 1;
        m_host->add_property("ScaleMode", [this] { return Variant(m_scale_mode); },
                             [this](const Variant& value) { m_scale_mode = value.to_int16(); });
        (void)scale;
        // Through a real IDispatch: wrapping the automation face explicitly keeps both halves in play.
        IDispatch* face = com::com_from_object(m_host);
        m_remote = std::make_shared<com::ComDispatch>(face);
        face->Release();
    }

    Apartment m_apartment;
    std::shared_ptr<DynamicDispatch> m_host;
    ObjectRef m_remote;
    std::vector<Arguments> m_calls;
    std::int16_t m_scale_mode = 1;
};

TEST_F(LateBinding, ArgumentsGoInOrderAndComeBackByReference) {
    Arguments args{Variant(-101.5), Variant(-99.0), Variant(46.0), Variant(44.0), Variant("Kartovex V7 Server")};
    call_method(m_remote, "signalinformation", args);
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0][0], Variant(-101.5));
    EXPECT_EQ(m_calls[0][4], Variant("Kartovex V7 Server"));
    EXPECT_EQ(args[0], Variant(-100.5)) << "the callee's write comes back";
    EXPECT_EQ(args[4], Variant("Kartovex V7 Server"));
}

TEST_F(LateBinding, PropertiesAndErrors) {
    put_property(m_remote, "ScaleMode", Variant(std::int16_t{3}));
    EXPECT_EQ(m_scale_mode, 3);
    EXPECT_EQ(get_property(m_remote, "ScaleMode").to_int32(), 3);

    try {
        call_method(m_remote, "NoSuchMember");
        ADD_FAILURE();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::object_does_not_support_member);
    }
    try {
        call_method(m_remote, "Fail");
        ADD_FAILURE();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 5) << "the callee's number crosses the IDispatch boundary";
        EXPECT_EQ(error.source(), "Wendal32");
        EXPECT_EQ(std::string(error.what()), "Invalid procedure call or argument");
    }
}

TEST_F(LateBinding, ObjectsKeepTheirIdentity) {
    IDispatch* face = com::com_from_object(m_host);
    EXPECT_EQ(com::object_from_com(face), m_host) << "our own object comes back unwrapped";
    face->Release();
    IDispatch* remote_face = com::com_from_object(m_remote);
    ObjectRef again = com::object_from_com(remote_face);
    EXPECT_EQ(again, m_host);
    remote_face->Release();
}

TEST(ComLateBinding, SystemObjectThroughItsDispatch) {
    Apartment apartment;
    CLSID clsid{};
    if (CLSIDFromProgID(L"Scripting.Dictionary", &clsid) < 0) GTEST_SKIP() << "no Scripting.Dictionary here";
    ComPtr<IDispatch> dictionary;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dictionary.put_void()));
    ObjectRef object = com::object_from_com(dictionary.get());
    call_method(object, "Add", {Variant("K7ABC"), Variant(std::int32_t{5})});
    EXPECT_EQ(get_property(object, "Count").to_int32(), 1);
    EXPECT_EQ(get_property(object, "item", {Variant("K7ABC")}).to_int32(), 5);
    EXPECT_TRUE(call_method(object, "Exists", {Variant("K7ABC")}).to_bool());
    try {
        call_method(object, "Add", {Variant("K7ABC"), Variant(std::int32_t{6})});
        ADD_FAILURE() << "a key twice";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 457);
    }
}

}  // namespace
}  // namespace tolm::test
