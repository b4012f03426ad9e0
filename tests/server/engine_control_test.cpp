#include "server/engine_control.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

// Records each invoke as it arrives and answers gets from a table, the way the engine control
// would be seen from the other side of late binding.
class RecordingControl : public Dispatch {
public:
    struct Call {
        DispId id;
        InvokeKind kind;
        Arguments args;
    };

    std::optional<DispId> id_of_name(std::string_view) const override { return std::nullopt; }
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override {
        calls.push_back({id, kind, args});
        const auto answer = answers.find(id);
        return answer == answers.end() ? Variant() : answer->second;
    }

    std::vector<Call> calls;
    std::map<DispId, Variant> answers;
};

// The ids are written out as numbers here, not taken from the engine's header: they are fixed by the
// engine control and stored in its settings file, so a changed constant must show up as a failure.
struct Expected {
    const char* what;
    std::function<void(EngineControl&)> act;
    DispId id;
    InvokeKind kind;
    Arguments args;
};

const InvokeKind k_method = InvokeKind::method;
const InvokeKind k_put = InvokeKind::property_put;
Variant yes() { return Variant::boolean(true); }
Variant no() { return Variant::boolean(false); }
Variant l(std::int32_t value) { return Variant(value); }

std::vector<Expected> commands() {
    using F = EngineControl::Folder;
    using S = EngineControl::Shading;
    return {
        {"data folder 1", [](EngineControl& e) { e.set_folder(F::data1, "/d/1"); }, 47, k_put, {Variant("/d/1")}},
        {"data folder 2", [](EngineControl& e) { e.set_folder(F::data2, "/d/2"); }, 48, k_put, {Variant("/d/2")}},
        {"data folder 3", [](EngineControl& e) { e.set_folder(F::data3, "/d/3"); }, 49, k_put, {Variant("/d/3")}},
        {"states folder", [](EngineControl& e) { e.set_folder(F::states, "/s"); }, 46, k_put, {Variant("/s")}},
        {"supplementary states", [](EngineControl& e) { e.set_folder(F::supplementary_states, "/s1"); }, 16, k_put,
         {Variant("/s1")}},
        {"shade mcd", [](EngineControl& e) { e.set_shading(S::minor_civil_divisions, true); }, 30, k_put, {yes()}},
        {"shade places", [](EngineControl& e) { e.set_shading(S::places, false); }, 31, k_put, {no()}},
        {"shade counties", [](EngineControl& e) { e.set_shading(S::counties, true); }, 32, k_put, {yes()}},
        {"shade states", [](EngineControl& e) { e.set_shading(S::states, true); }, 33, k_put, {yes()}},
        {"one-way arrows", [](EngineControl& e) { e.set_oneway_arrows(true); }, 148, k_put, {yes()}},
        {"background colour", [](EngineControl& e) { e.set_background_colour(0xAFFFFF); }, 27, k_put, {l(0xAFFFFF)}},
        {"water colour", [](EngineControl& e) { e.set_water_colour(0xE0BA96); }, 395, k_method, {l(2), l(0xE0BA96)}},
        {"colour item", [](EngineControl& e) { e.set_colour_item(0xC004, -1); }, 395, k_method, {l(0xC004), l(-1)}},
        {"map size", [](EngineControl& e) { e.set_map_size(800, 600); }, 107, k_method, {l(800), l(600)}},
        {"show rectangle", [](EngineControl& e) { e.show_rectangle(-125, 49.5, -66.5, 24.5); }, 706, k_method,
         {Variant(-125.0), Variant(49.5), Variant(-66.5), Variant(24.5)}},
        {"centre on", [](EngineControl& e) { e.centre_on(-97.7, 30.3); }, 90, k_method, {Variant(-97.7), Variant(30.3)}},
        {"zoom level", [](EngineControl& e) { e.set_zoom_level(12); }, 34, k_put, {l(12)}},
        {"zoom in", [](EngineControl& e) { e.zoom_in(); }, 699, k_method, {}},
        {"zoom out", [](EngineControl& e) { e.zoom_out(); }, 703, k_method, {}},
        {"pan", [](EngineControl& e) { e.pan(9); }, 704, k_method, {l(9)}},
        {"paint", [](EngineControl& e) { e.paint(4711, 0, 0, 640, 480, true); }, 123, k_method,
         {l(4711), l(0), l(0), l(640), l(480), no(), no(), yes()}},
        {"refresh", [](EngineControl& e) { e.refresh(); }, 137, k_method, {}},
        {"load settings", [](EngineControl& e) { e.load_settings("/x/Cartix71.Cfg"); }, 139, k_method,
         {Variant("/x/Cartix71.Cfg")}},
        {"save settings", [](EngineControl& e) { e.save_settings("/x/Cartix71.Cfg"); }, 140, k_method,
         {Variant("/x/Cartix71.Cfg")}},
        {"load overlay", [](EngineControl& e) { e.load_overlay("a.ovr"); }, 108, k_method, {Variant("a.ovr")}},
        {"zoom to overlay", [](EngineControl& e) { e.zoom_to_overlay(); }, 702, k_method, {}},
        {"overlay shown", [](EngineControl& e) { e.set_overlay_shown(true); }, 56, k_put, {yes()}},
        {"underlay shown", [](EngineControl& e) { e.set_underlay_shown(false); }, 57, k_put, {no()}},
        {"underlay file", [](EngineControl& e) { e.set_underlay_file("u.bmp"); }, 50, k_put, {Variant("u.bmp")}},
        {"address search", [](EngineControl& e) { e.address_search("1 Main St"); }, 808, k_method,
         {Variant("1 Main St")}},
        {"phone lookup", [](EngineControl& e) { e.phone_lookup("512"); }, 118, k_method, {Variant("512")}},
        {"about box", [](EngineControl& e) { e.show_about_box(); }, -552, k_method, {}},
        {"edge panning", [](EngineControl& e) { e.set_edge_panning(false); }, 138, k_put, {no()}},
        {"label font scale", [](EngineControl& e) { e.set_label_font_scale(6); }, 149, k_put, {l(6)}},
        {"antialias", [](EngineControl& e) { e.set_antialias(true); }, 185, k_put, {yes()}},
        {"label halo", [](EngineControl& e) { e.set_label_halo(true); }, 167, k_put, {yes()}},
        {"label halo width", [](EngineControl& e) { e.set_label_halo_width(1); }, 165, k_put, {l(1)}},
        {"label halo colour", [](EngineControl& e) { e.set_label_halo_colour(0xFFFFFF); }, 166, k_put, {l(0xFFFFFF)}},
        {"begin session", [](EngineControl& e) { e.begin_session(); }, 698, k_method, {}},
        {"settings applied", [](EngineControl& e) { e.settings_applied(); }, 91, k_method, {}},
    };
}

TEST(EngineControl, EachCommandReachesItsIdWithItsKindAndTypedArguments) {
    for (const auto& expected : commands()) {
        auto recorder = std::make_shared<RecordingControl>();
        EngineControl control(recorder);
        expected.act(control);
        ASSERT_EQ(recorder->calls.size(), 1u) << expected.what;
        const auto& call = recorder->calls.front();
        EXPECT_EQ(call.id, expected.id) << expected.what;
        EXPECT_EQ(call.kind, expected.kind) << expected.what;
        // Variant equality holds the type too: a Boolean sent as an Integer, or a Long as a Double, fails.
        EXPECT_EQ(call.args, expected.args) << expected.what;
    }
}

TEST(EngineControl, EachReadingAsksItsIdAndConvertsTheAnswer) {
    auto recorder = std::make_shared<RecordingControl>();
    recorder->answers = {{47, Variant("/d/1")}, {48, Variant("/d/2")},    {49, Variant("/d/3")},
                         {46, Variant("/s")},   {16, Variant("/s1")},     {30, yes()},
                         {31, no()},            {32, yes()},              {33, no()},
                         {148, yes()},          {27, l(0x123456)},        {395, l(0xAFFFFF)},
                         {18, Variant(-125.0)}, {19, Variant(-66.5)},     {20, Variant(24.5)},
                         {21, Variant(49.5)},   {24, Variant("found")},   {25, Variant("answer")},
                         {808, l(3)}};
    EngineControl control(recorder);
    using F = EngineControl::Folder;
    using S = EngineControl::Shading;
    EXPECT_EQ(control.folder(F::data1), "/d/1");
    EXPECT_EQ(control.folder(F::data2), "/d/2");
    EXPECT_EQ(control.folder(F::data3), "/d/3");
    EXPECT_EQ(control.folder(F::states), "/s");
    EXPECT_EQ(control.folder(F::supplementary_states), "/s1");
    EXPECT_TRUE(control.shading(S::minor_civil_divisions));
    EXPECT_FALSE(control.shading(S::places));
    EXPECT_TRUE(control.shading(S::counties));
    EXPECT_FALSE(control.shading(S::states));
    EXPECT_TRUE(control.oneway_arrows());
    EXPECT_EQ(control.background_colour(), 0x123456);
    EXPECT_EQ(control.map_background_colour(), 0xAFFFFF);
    EXPECT_EQ(control.extent_west(), -125.0);
    EXPECT_EQ(control.extent_east(), -66.5);
    EXPECT_EQ(control.extent_south(), 24.5);
    EXPECT_EQ(control.extent_north(), 49.5);
    EXPECT_EQ(control.found_item_text(), "found");
    EXPECT_EQ(control.answer_text(), "answer");
    EXPECT_EQ(control.address_search("x"), 3);

    for (const auto& call : recorder->calls) {
        if (call.id == 808) continue;  // a method, checked with the commands
        EXPECT_EQ(call.kind, InvokeKind::property_get) << call.id;
        if (call.id == 395)
            EXPECT_EQ(call.args, (Arguments{l(0), l(1)})) << "colour item 1 is read as (0, 1)";
        else
            EXPECT_TRUE(call.args.empty()) << call.id;
    }
}

TEST(EngineControl, WithoutAControlEveryMemberRaisesObjectVariableNotSet) {
    EngineControl control(nullptr);
    try {
        control.zoom_in();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::object_variable_not_set);
        EXPECT_EQ(error.source(), "TolmServer7");
    }
    EXPECT_THROW(control.extent_west(), RuntimeError);
}

TEST(EngineControl, TheControlsOwnErrorsPassUnchanged) {
    class Refusing : public RecordingControl {
    public:
        Variant invoke(DispId, InvokeKind, Arguments&) override { throw RuntimeError(321, "tolm.engine", "bad file"); }
    };
    EngineControl control(std::make_shared<Refusing>());
    try {
        control.load_settings("x");
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 321);
        EXPECT_EQ(error.source(), "tolm.engine");
        EXPECT_EQ(error.description(), "bad file");
    }
}

}  // namespace
}  // namespace tolm::server
