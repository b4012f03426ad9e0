// What a client may pass that no map can use: numbers that are no coordinates, pictures without
// pixels or with too many, endless zooming, megabyte strings and values of the wrong type. Each
// gives the run-time error the runtime would raise or a sound result, with the real engine behind
// the server: never a crash, a hang or gigabytes of memory.
#include "server_fixture_support.h"

#include "platform/runtime_error.h"
#include "server/member_table.h"
#include "server/search/region_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace tolm::server::test {
namespace {

// The errors a wrong value may raise: invalid call (5), overflow (6), type mismatch (13), object
// variable not set (91), invalid property value (380), object required (424), and a picture that
// is not one lacks the members the server calls on it (438).
const std::set<std::int32_t> k_value_errors{5, 6, 13, 91, 380, 424, 438};

class ClientValuesTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        // The real engine, not the recording stand-in.
        frmTolm::set_engine_factory(m_previous_factory);
        write_settings(k_complete_settings);
        initialize();
    }

    // Runs a call; true when it succeeded, false when it raised one of the value errors.
    template <typename Call>
    bool sound(Call&& call, const std::string& what) {
        try {
            call();
            return true;
        } catch (const RuntimeError& error) {
            EXPECT_TRUE(k_value_errors.count(error.number())) << what << ": error " << error.number() << " " << error.what();
            return false;
        }
    }

    // Every extent the client was told of so far is one a map can have: finite, inside the world,
    // west of east and north of south, so the client's linear placement of its stations holds.
    void expect_every_extent_within_the_world(const std::string& what) const {
        for (const host::InformationSignal& view : m_events->information()) {
            const bool finite = std::isfinite(view.west) && std::isfinite(view.east) && std::isfinite(view.north) &&
                                std::isfinite(view.south);
            EXPECT_TRUE(finite) << what;
            EXPECT_GE(view.west, -180.0) << what;
            EXPECT_LE(view.east, 180.0) << what;
            EXPECT_LE(view.north, 90.0) << what;
            EXPECT_GE(view.south, -90.0) << what;
            EXPECT_LT(view.west, view.east) << what;
            EXPECT_GT(view.north, view.south) << what;
        }
    }
};

constexpr double k_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double k_inf = std::numeric_limits<double>::infinity();

TEST_F(ClientValuesTest, CoordinatesThatAreNoPlaceDrawOrAreRefused) {
    const double bad[] = {k_nan, k_inf, -k_inf, 1e308, -1e308, 91, -1000, 500, 1e6, -1e9};
    for (const double v : bad) {
        const std::string what = std::to_string(v);
        sound([&] { draw(v, 45, -90, 40); }, "west " + what);
        sound([&] { draw(-100, v, -90, 40); }, "north " + what);
        sound([&] { draw(v, v, v, v); }, "all " + what);
        sound([&] {
            double x1 = -100, y1 = v, x2 = v, y2 = 40;
            m_server->ResizeMap(m_picture_ref, x1, y1, x2, y2);
        }, "resize " + what);
    }
    // A sound view still draws after all of them.
    EXPECT_TRUE(draw(-100, 45, -90, 40));
    expect_every_extent_within_the_world("coordinates");
}

TEST_F(ClientValuesTest, PicturesWithoutPixelsOrWithTooManyAreHandled) {
    // 30,000 x 30,000 would make this test's own picture box 3.6 GB; the engine refuses that size
    // before it allocates (tests/engine/map_view_test.cpp). Here the long strips of that side.
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{0, 30}, std::pair{30000, 1}, std::pair{1, 30000}}) {
        ObjectRef picture = std::make_shared<host::PictureBox>(w, h);
        sound([&] {
            double x1 = -100, y1 = 45, x2 = -90, y2 = 40;
            m_server->DrawMapFromCorners(picture, x1, y1, x2, y2);
        },
              std::to_string(w) + "x" + std::to_string(h));
    }
}

TEST_F(ClientValuesTest, SixtyZoomsEachWayAndPansAreSound) {
    ASSERT_TRUE(draw(-100, 45, -90, 40));
    for (int i = 0; i < 60; ++i) sound([&] { m_server->ZoomIn(m_picture_ref); }, "zoom in " + std::to_string(i));
    for (int i = 0; i < 120; ++i) sound([&] { m_server->ZoomOut(m_picture_ref); }, "zoom out " + std::to_string(i));
    for (int i = 0; i < 60; ++i) {
        std::int16_t pan = static_cast<std::int16_t>(i % 9);
        sound([&] { m_server->ZoomPan(m_picture_ref, pan); }, "pan " + std::to_string(i));
    }
    EXPECT_TRUE(sound([&] { m_server->ZoomAll(m_picture_ref); }, "zoom all"));
    // 2,000 pans east once took the west edge to 58,375 degrees.
    for (int i = 0; i < 2000; ++i) {
        std::int16_t east = 6;  // as on the numeric keypad
        sound([&] { m_server->ZoomPan(m_picture_ref, east); }, "pan east " + std::to_string(i));
    }
    ASSERT_FALSE(m_events->information().empty());
    expect_every_extent_within_the_world("zooms and pans");
}

TEST_F(ClientValuesTest, MegabyteStringsToEveryStringMemberAndSearch) {
    const std::string huge(1 << 20, 'x');
    for (const auto& member : k_members) {
        if (member.kind != MemberKind::let || member.params[0].type != ParamType::string) continue;
        Arguments args{Variant(huge)};
        sound([&] { m_server->invoke(member.id, InvokeKind::property_put, args); }, std::string(member.name));
    }
    std::string entry = huge;
    sound([&] { m_server->AddToFavouriteViews(entry); }, "AddToFavouriteViews");
    EXPECT_TRUE(FindStateRecords(m_client_folder, huge).empty());
    EXPECT_TRUE(FindCountyRecords(m_client_folder, huge + "," + huge).empty());
    EXPECT_FALSE(LookUpMileMarker(m_client_folder, huge, huge, huge).has_value());
    EXPECT_TRUE(draw(-100, 45, -90, 40));
}

TEST_F(ClientValuesTest, WrongVariantTypesToEveryMember) {
    ObjectRef picture = m_picture;
    const std::vector<Variant> wrong{Variant("not a number"), Variant(k_nan), Variant(1e300), Variant(std::int32_t{-70000}),
                                     Variant(StringArray(std::numeric_limits<std::int32_t>::min(), {})),
                                     Variant(ObjectRef(m_form)), Variant(ObjectRef())};
    for (const auto& member : k_members) {
        // Members without parameters take no wrong values; the control panel is a dialog of its own.
        if (member.param_count == 0) continue;
        const auto kind = member.kind == MemberKind::let ? InvokeKind::property_put : InvokeKind::method;
        for (std::size_t slot = 0; slot < member.param_count; ++slot)
            for (const auto& value : wrong) {
                Arguments args;
                for (std::size_t i = 0; i < member.param_count; ++i)
                    args.push_back(i == slot ? value : member.params[i].type == ParamType::object ? Variant(picture) : Variant(std::int16_t{1}));
                sound([&] { m_server->invoke(member.id, kind, args); },
                      std::string(member.name) + " argument " + std::to_string(slot));
            }
    }
    EXPECT_TRUE(draw(-100, 45, -90, 40));
}

}  // namespace
}  // namespace tolm::server::test
