#include "engine/route_shield.h"

#include <gtest/gtest.h>

#include <string>

namespace tolm::engine {
namespace {

TEST(RouteShield, RouteNumbersAreToldApartByTheirPrefix) {
    const auto check = [](std::string_view ref, ShieldKind kind, std::string_view number) {
        const RouteNumber route = classify_route(ref);
        EXPECT_EQ(route.kind, kind) << ref;
        EXPECT_EQ(route.number, number) << ref;
    };
    check("I 670", ShieldKind::interstate, "670");
    check("I-5", ShieldKind::interstate, "5");
    check(" I 95 ", ShieldKind::interstate, "95");
    check("US 62", ShieldKind::us_route, "62");
    check("US-1A", ShieldKind::us_route, "1A");
    check("OR 99E", ShieldKind::state_route, "99E");
    check("SR 315", ShieldKind::state_route, "315");
    check("ME 15", ShieldKind::state_route, "15");
    check("Interstate", ShieldKind::other, "Interstate");
    check("IUS", ShieldKind::other, "IUS");
    check("CR 12A", ShieldKind::state_route, "12A");
    check("12", ShieldKind::other, "12");
}

TEST(RouteShield, SeveralRefsSplitAndOverlongOrEmptyPartsAreLeftOut) {
    std::array<RouteNumber, k_most_shields> numbers;
    ASSERT_EQ(split_route_refs("I 670;US 62", numbers), 2u);
    EXPECT_EQ(numbers[0].kind, ShieldKind::interstate);
    EXPECT_EQ(numbers[1].kind, ShieldKind::us_route);
    EXPECT_EQ(numbers[1].number, "62");
    EXPECT_EQ(split_route_refs(";; I 5 ; ;", numbers), 1u);
    EXPECT_EQ(split_route_refs("I 1;I 2;I 3;I 4;I 5", numbers), k_most_shields) << "no more shields than fit";
    const std::string thousand(1000, '7');
    EXPECT_EQ(split_route_refs(thousand, numbers), 0u);
    // The numbers point into the ref, which must outlive them.
    const std::string overlong_then_us = "I " + thousand + ";US 30";
    EXPECT_EQ(split_route_refs(overlong_then_us, numbers), 1u);
    EXPECT_EQ(numbers[0].number, "30");
    EXPECT_EQ(split_route_refs("", numbers), 0u);
}

TEST(RouteShield, AShieldIsAtLeastAsWideAsItsNumber) {
    for (const ShieldKind kind : {ShieldKind::interstate, ShieldKind::us_route, ShieldKind::state_route, ShieldKind::other}) {
        EXPECT_GT(shield_width(kind, 30, 15), 30);
        EXPECT_GE(shield_width(kind, 2, 15), 15) << "a one-digit shield keeps its shape";
    }
}

}  // namespace
}  // namespace tolm::engine
