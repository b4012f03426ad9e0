#include "server/client_picture.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

// The client's picture box as late binding sees it: the members it has, by their names, each call
// recorded. A name the box does not have fails as it would on the client's side (error 438).
class RecordingPicture : public DynamicDispatch {
public:
    struct Call {
        std::string member;
        InvokeKind kind;
        Arguments args;
    };

    RecordingPicture() {
        for (const char* name : {"ScaleMode", "ScaleWidth", "ScaleHeight", "ScaleLeft", "ScaleTop", "BackColor",
                                 "FillColor", "FillStyle", "Picture", "Image", "Cls", "hDC", "DrawWidth", "DrawMode",
                                 "DrawStyle", "Line"}) {
            const std::string member = name;
            add_member(member, [this, member](InvokeKind kind, Arguments& args) {
                calls.push_back({member, kind, args});
                const auto answer = answers.find(member);
                return answer == answers.end() ? Variant() : answer->second;
            });
        }
    }

    std::vector<Call> calls;
    std::map<std::string, Variant> answers;
};

struct Expected {
    const char* what;
    std::function<void(ClientPicture&)> act;
    const char* member;
    InvokeKind kind;
    Arguments args;
};

Variant i(std::int16_t value) { return Variant(value); }
Variant l(std::int32_t value) { return Variant(value); }

TEST(ClientPicture, EachSettingReachesItsMemberWithTheClientsTypes) {
    auto image = std::make_shared<RecordingPicture>();
    const InvokeKind put = InvokeKind::property_put;
    const std::vector<Expected> expected = {
        {"scale mode", [](ClientPicture& p) { p.set_scale_mode(ClientPicture::k_scale_pixels); }, "ScaleMode", put, {i(3)}},
        {"scale width", [](ClientPicture& p) { p.set_scale_width(12.5); }, "ScaleWidth", put, {Variant(12.5)}},
        {"scale height", [](ClientPicture& p) { p.set_scale_height(-5.0); }, "ScaleHeight", put, {Variant(-5.0)}},
        {"scale left", [](ClientPicture& p) { p.set_scale_left(-125.0); }, "ScaleLeft", put, {Variant(-125.0)}},
        {"scale top", [](ClientPicture& p) { p.set_scale_top(49.5); }, "ScaleTop", put, {Variant(49.5)}},
        {"back colour", [](ClientPicture& p) { p.set_back_color(0xE0BA96); }, "BackColor", put, {l(0xE0BA96)}},
        {"fill colour", [](ClientPicture& p) { p.set_fill_color(0xFFFFFF); }, "FillColor", put, {l(0xFFFFFF)}},
        {"fill style", [](ClientPicture& p) { p.set_fill_style(ClientPicture::k_fill_solid); }, "FillStyle", put, {i(0)}},
        {"draw width", [](ClientPicture& p) { p.set_draw_width(5); }, "DrawWidth", put, {i(5)}},
        {"draw mode", [](ClientPicture& p) { p.set_draw_mode(ClientPicture::k_copy_pen); }, "DrawMode", put, {i(13)}},
        {"draw style", [](ClientPicture& p) { p.set_draw_style(2); }, "DrawStyle", put, {i(2)}},
        {"picture", [image](ClientPicture& p) { p.set_picture(image); }, "Picture", InvokeKind::property_putref,
         {Variant(ObjectRef(image))}},
        {"no picture", [](ClientPicture& p) { p.set_picture(nullptr); }, "Picture", InvokeKind::property_putref,
         {Variant(ObjectRef())}},
        {"cls", [](ClientPicture& p) { p.cls(); }, "Cls", InvokeKind::method, {}},
        {"line", [](ClientPicture& p) { p.line(-100.0, 45.0, -90.0, 45.0, 0x00FFFF); }, "Line", InvokeKind::method,
         {i(0), Variant(-100.0), Variant(45.0), Variant(-90.0), Variant(45.0), l(0x00FFFF)}},
    };
    for (const auto& step : expected) {
        auto recorder = std::make_shared<RecordingPicture>();
        ClientPicture picture(recorder);
        step.act(picture);
        ASSERT_EQ(recorder->calls.size(), 1u) << step.what;
        EXPECT_EQ(recorder->calls[0].member, step.member) << step.what;
        EXPECT_EQ(recorder->calls[0].kind, step.kind) << step.what;
        EXPECT_EQ(recorder->calls[0].args, step.args) << step.what;
    }
}

TEST(ClientPicture, EachReadingAsksItsMemberAndConvertsTheAnswer) {
    auto recorder = std::make_shared<RecordingPicture>();
    auto image = std::make_shared<RecordingPicture>();
    recorder->answers = {{"ScaleWidth", Variant(640.0)}, {"ScaleHeight", Variant(480.0)}, {"hDC", l(4711)},
                         {"DrawWidth", i(3)},            {"DrawMode", i(7)},              {"DrawStyle", i(1)},
                         {"Image", Variant(ObjectRef(image))}};
    ClientPicture picture(recorder);
    EXPECT_EQ(picture.scale_width(), 640.0);
    EXPECT_EQ(picture.scale_height(), 480.0);
    EXPECT_EQ(picture.hdc(), 4711);
    EXPECT_EQ(picture.draw_width(), 3);
    EXPECT_EQ(picture.draw_mode(), 7);
    EXPECT_EQ(picture.draw_style(), 1);
    EXPECT_EQ(picture.image(), ObjectRef(image));

    const std::vector<std::string> asked = {"ScaleWidth", "ScaleHeight", "hDC", "DrawWidth", "DrawMode", "DrawStyle",
                                            "Image"};
    ASSERT_EQ(recorder->calls.size(), asked.size());
    for (std::size_t n = 0; n < asked.size(); ++n) {
        EXPECT_EQ(recorder->calls[n].member, asked[n]);
        EXPECT_EQ(recorder->calls[n].kind, InvokeKind::property_get) << asked[n];
        EXPECT_TRUE(recorder->calls[n].args.empty()) << asked[n];
    }
}

TEST(ClientPicture, AMissingPictureOrMemberFailsAsLateBindingDoes) {
    ClientPicture nothing(nullptr);
    try {
        nothing.cls();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::object_variable_not_set);
    }
    ClientPicture bare(std::make_shared<DynamicDispatch>());
    try {
        bare.set_back_color(0);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::object_does_not_support_member);
    }
}

}  // namespace
}  // namespace tolm::server
