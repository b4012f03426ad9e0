#include "server/clsMapServ.h"
#include "server/member_table.h"

#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <set>

namespace tolm::server {
namespace {

TEST(MemberTableTest, SlotsAreInOrderAndPutAndGetShareOneId) {
    std::set<std::pair<DispId, MemberKind>> seen;
    for (std::size_t i = 0; i < k_members.size(); ++i) {
        const auto& member = k_members[i];
        EXPECT_EQ(member.slot, static_cast<int>(i + 1));
        EXPECT_TRUE(seen.insert({member.id, member.kind}).second) << member.name;
        if (member.kind == MemberKind::let) {
            const MemberInfo* getter = find_member(member.id, MemberKind::get);
            // blnShadeMcd's put and get share an id like every other property of the interface.
            ASSERT_NE(getter, nullptr) << member.name;
            EXPECT_EQ(getter->name, member.name);
            EXPECT_EQ(getter->result, member.params[0].type);
        }
    }
    EXPECT_EQ(find_member(dispid::DrawMapFromCorners, MemberKind::method)->slot, 23);
    EXPECT_EQ(find_member(dispid::ZoomOut, MemberKind::method)->slot, 46);
}

TEST(MemberTableTest, NamesResolveWithoutRegardToCase) {
    EXPECT_EQ(find_dispid("drawmapfromcorners"), dispid::DrawMapFromCorners);
    EXPECT_EQ(find_dispid("BLNCONTROLOK"), dispid::blnControlOk);
    EXPECT_FALSE(find_dispid("DrawMap").has_value());
}

TEST(ClsMapServDispatchTest, SafeCallAndBlnControlOkWorkBeforeInitialize) {
    clsMapServ server;
    Arguments none;
    EXPECT_NO_THROW(server.invoke(dispid::SafeCall, InvokeKind::method, none));
    EXPECT_FALSE(server.invoke(dispid::blnControlOk, InvokeKind::property_get, none).to_bool());
    EXPECT_TRUE(server.invoke(dispid::varSeaColor, InvokeKind::property_get, none).is_empty());
}

TEST(ClsMapServDispatchTest, WrongCallsAreRuntimeErrors) {
    clsMapServ server;
    Arguments one{Variant(1.0)};
    try {
        server.invoke(dispid::SafeCall, InvokeKind::method, one);
        FAIL() << "an extra argument must be refused";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::wrong_number_of_arguments);
    }
    Arguments none;
    try {
        server.invoke(0x12345, InvokeKind::method, none);
        FAIL() << "an unknown id must be refused";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::object_does_not_support_member);
    }
    // blnControlOk has no put.
    try {
        server.invoke(dispid::blnControlOk, InvokeKind::property_put, one);
        FAIL() << "a read-only property must refuse a put";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), runtime_errors::object_does_not_support_member);
    }
}

}  // namespace
}  // namespace tolm::server
