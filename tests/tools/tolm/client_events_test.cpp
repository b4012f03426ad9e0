#include "tools/tolm/client_events.h"

#include <gtest/gtest.h>

#include <string>

namespace tolm::cli {
namespace {

Variant call(ClientEvents& events, const std::string& member, Arguments& args) {
    return events.invoke(*events.id_of_name(member), InvokeKind::method, args);
}

TEST(ClientEvents, CallsignSearchFindsEveryStationTheTextStarts) {
    ClientEvents events({{"W5ABC-9", -97.5, 30.1}, {"w5abc", -97.6, 30.2}, {"K5XYZ", -97.0, 30.0}});
    EXPECT_EQ(events.callsign_answer("w5abc"), "W5ABC-9,-97.500000,30.100000\tw5abc,-97.600000,30.200000");
    EXPECT_EQ(events.callsign_answer("K5XYZ"), "K5XYZ,-97.000000,30.000000");
    EXPECT_EQ(events.callsign_answer("W5ABC-99"), "");
    EXPECT_EQ(events.callsign_answer("  "), "");

    // The server hands over an empty String for the answer and reads it back from the same argument.
    Arguments args{Variant(std::string("K5")), Variant(std::string())};
    call(events, "SignalCallsignData", args);
    EXPECT_EQ(args[1].to_string(), "K5XYZ,-97.000000,30.000000");
    ASSERT_EQ(events.record().callsign_data().size(), 1u);
    EXPECT_EQ(events.record().callsign_data()[0].second, "K5XYZ,-97.000000,30.000000");
}

TEST(ClientEvents, SignalsAreRecorded) {
    ClientEvents events({});
    Arguments title{Variant(std::string("Travis, TX"))};
    call(events, "SignalSpecialRedraw", title);
    Arguments suspend{Variant::boolean(true)};
    call(events, "SignalSuspend", suspend);
    Arguments extent{Variant(-98.0), Variant(-97.0), Variant(31.0), Variant(30.0), Variant(std::string("Server"))};
    call(events, "SignalInformation", extent);
    EXPECT_EQ(events.record().special_redraws(), std::vector<std::string>{"Travis, TX"});
    EXPECT_EQ(events.record().suspends(), std::vector<bool>{true});
    ASSERT_EQ(events.record().information().size(), 1u);
    EXPECT_DOUBLE_EQ(events.record().information()[0].north, 31.0);
    // A call of the wrong shape is the client's run-time error, not a crash.
    Arguments none;
    EXPECT_ANY_THROW(call(events, "SignalSpecialRedraw", none));
}

}  // namespace
}  // namespace tolm::cli
