// The frame core both frames bind to: calls driven by the member table, the catch ladder, the
// counts and the registration rows.
#include "server/frame/frame_core.h"

#include "platform/runtime_error.h"
#include "server/clsMapServ.h"
#include "server/frame/registration_table.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace tolm::frame {
namespace {

using server::ParamType;

// A binding over the portable types, recording what the core does with each pointer.
class RecordingBinding final : public ParameterBinding {
public:
    Variant read(ParamType, void* pointer) const override { return *static_cast<Variant*>(pointer); }
    void write_back(ParamType, void* pointer, const Variant& value, const Variant& before) const override {
        if (!(value == before)) *static_cast<Variant*>(pointer) = value;
        ++write_backs;
    }
    void clear_result(ParamType, void* pointer) const override { *static_cast<Variant*>(pointer) = Variant(); }
    void write_result(ParamType, void* pointer, const Variant& value) const override {
        *static_cast<Variant*>(pointer) = value;
    }
    mutable int write_backs = 0;
};

constexpr int k_put_strOvlFile = 1;
constexpr int k_get_strOvlFile = 3;
constexpr int k_SafeCall = 8;
constexpr int k_ZoomPan = 45;

// A server double that answers by dispatch id, with what the test hands it.
class FakeServer final : public DynamicDispatch {
public:
    template <typename Handler>
    void answer(DispId id, Handler handler) {
        std::string name("member");
        name += std::to_string(id);
        add_member(std::move(name), [handler](InvokeKind kind, Arguments& args) { return handler(kind, args); }, id);
    }
};

TEST(CatchLadder, EveryExceptionBecomesARunTimeError) {
    CallError error;
    EXPECT_FALSE(guarded([] { throw RuntimeError(380, "Here", "Invalid property value"); }, error));
    EXPECT_EQ(error.number, 380);
    EXPECT_EQ(error.source, "Here");
    EXPECT_EQ(error.description, "Invalid property value");

    EXPECT_FALSE(guarded([] { throw std::bad_alloc(); }, error));
    EXPECT_EQ(error.number, 7);
    EXPECT_EQ(error.description, "Out of memory");
    EXPECT_EQ(error.source, server::k_error_source);

    EXPECT_FALSE(guarded([] { throw std::out_of_range("index 9"); }, error));
    EXPECT_EQ(error.number, runtime_errors::object_error_base + 1001);
    EXPECT_EQ(error.description, "index 9");

    EXPECT_FALSE(guarded([] { throw 42; }, error));
    EXPECT_EQ(error.number, runtime_errors::object_error_base + 1001);
    EXPECT_FALSE(error.description.empty());

    EXPECT_TRUE(guarded([] {}, error));
}

TEST(CallMember, ReadsInvokesAndWritesByTheMemberTable) {
    FakeServer server;
    Variant stored("before");
    server.answer(server::dispid::strOvlFile, [&](InvokeKind kind, Arguments& args) {
        if (kind == InvokeKind::property_put) stored = args.at(0);
        return kind == InvokeKind::property_get ? stored : Variant();
    });
    server.answer(server::dispid::ZoomPan, [](InvokeKind kind, Arguments& args) {
        EXPECT_EQ(kind, InvokeKind::method);
        args.at(1) = Variant(std::int16_t{9});  // a by-reference parameter the member changed
        return Variant::boolean(true);
    });
    RecordingBinding binding;
    CallError error;

    Variant value("new.ovl");
    EXPECT_EQ(call_member(server, k_put_strOvlFile, {&value}, binding, error), CallStatus::succeeded);
    EXPECT_EQ(stored, Variant("new.ovl"));
    EXPECT_EQ(binding.write_backs, 0) << "a property put writes nothing back";

    Variant result(std::int32_t{5});
    EXPECT_EQ(call_member(server, k_get_strOvlFile, {&result}, binding, error), CallStatus::succeeded);
    EXPECT_EQ(result, Variant("new.ovl"));

    Variant picture, pan(std::int16_t{3}), drawn;
    EXPECT_EQ(call_member(server, k_ZoomPan, {&picture, &pan, &drawn}, binding, error), CallStatus::succeeded);
    EXPECT_EQ(pan, Variant(std::int16_t{9}));
    EXPECT_EQ(drawn, Variant::boolean(true));
    EXPECT_EQ(binding.write_backs, 2);
}

TEST(CallMember, RefusesBadPointersAndCountsBeforeCalling) {
    FakeServer server;
    int calls = 0;
    server.answer(server::dispid::ZoomPan, [&](InvokeKind, Arguments&) { ++calls; return Variant(); });
    RecordingBinding binding;
    CallError error;
    Variant picture, pan, drawn;
    EXPECT_EQ(call_member(server, k_ZoomPan, {&picture, nullptr, &drawn}, binding, error), CallStatus::null_pointer);
    EXPECT_EQ(call_member(server, k_ZoomPan, {&picture, &pan}, binding, error), CallStatus::wrong_parameter_count);
    EXPECT_EQ(call_member(server, 0, {}, binding, error), CallStatus::wrong_parameter_count);
    EXPECT_EQ(call_member(server, 47, {}, binding, error), CallStatus::wrong_parameter_count);
    EXPECT_EQ(calls, 0);
}

TEST(CallMember, AFailedCallLeavesAClearedResultAndTheError) {
    FakeServer server;
    server.answer(server::dispid::ZoomPan, [](InvokeKind, Arguments& args) -> Variant {
        args.at(1) = Variant(std::int16_t{1});
        throw RuntimeError(91, "clsMapServ", "Object variable not set");
    });
    server.answer(server::dispid::SafeCall, [](InvokeKind, Arguments&) -> Variant { throw std::bad_alloc(); });
    RecordingBinding binding;
    CallError error;
    Variant picture, pan(std::int16_t{4}), drawn = Variant::boolean(true);
    EXPECT_EQ(call_member(server, k_ZoomPan, {&picture, &pan, &drawn}, binding, error), CallStatus::failed);
    EXPECT_EQ(error.number, 91);
    EXPECT_TRUE(drawn.is_empty()) << "nothing of the caller's is left in the result";
    EXPECT_EQ(pan, Variant(std::int16_t{4})) << "a failed call writes nothing back";

    EXPECT_EQ(call_member(server, k_SafeCall, {}, binding, error), CallStatus::failed);
    EXPECT_EQ(error.number, 7);
}

TEST(ModuleCounts, UnloadOnlyWithoutObjectsAndLocks) {
    ASSERT_TRUE(ModuleCounts::can_unload());
    ModuleCounts::object_created();
    ModuleCounts::lock(true);
    EXPECT_FALSE(ModuleCounts::can_unload());
    ModuleCounts::object_destroyed();
    EXPECT_FALSE(ModuleCounts::can_unload());
    ModuleCounts::lock(false);
    EXPECT_TRUE(ModuleCounts::can_unload());
}

TEST(Registration, EightRowsUnderTwoRoots) {
    const auto rows = registration_rows();
    ASSERT_EQ(rows.size(), 8u);
    const std::string prog_id(k_registration.prog_id);
    const std::string clsid_key = "CLSID\\" + guid_text(k_registration.class_id);
    int library_rows = 0;
    for (const auto& row : rows) {
        EXPECT_TRUE(row.key.rfind(prog_id, 0) == 0 || row.key.rfind(clsid_key, 0) == 0) << row.key;
        if (row.is_library_path) {
            ++library_rows;
            EXPECT_EQ(row.key, clsid_key + "\\InprocServer32");
            EXPECT_TRUE(row.name.empty());
        }
    }
    EXPECT_EQ(library_rows, 1);
    EXPECT_EQ(rows[1].value, guid_text(k_registration.class_id));
    EXPECT_EQ(rows[5].name, "ThreadingModel");
    EXPECT_EQ(rows[5].value, "Apartment");
    EXPECT_EQ(rows[7].value, "1.0");
    EXPECT_EQ(registration_roots(), (std::vector<std::string>{prog_id, clsid_key}));
}

}  // namespace
}  // namespace tolm::frame
