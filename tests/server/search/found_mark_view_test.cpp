// The found items marked by the real engine: every kind of Go To leaves the client exactly the
// extent it got before items were marked, and the engine holds the mark the item asks for. And the
// marker line drawn over the engine's map reads on every land colour it may cross.
#include "server/search/map_search.h"

#include "engine/engine_dispatch.h"
#include "engine/map_engine.h"
#include "engine/pack/pack_writer.h"
#include "ui/headless/headless_fixture.h"
#include "host/MainForm.h"
#include "host/PictureBox.h"
#include "server/client_picture.h"
#include "server/search/region_files.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

class Quiet : public DynamicDispatch {
public:
    std::string callsign_answer;
    Quiet() {
        add_method("SignalSuspend", [](Arguments&) { return Variant(); });
        add_method("SignalSpecialRedraw", [](Arguments&) { return Variant(); });
        add_method("SignalCallsignData", [this](Arguments& args) { args[1] = Variant(callsign_answer); return Variant(); });
    }
};

engine::Ring square(double west, double south, double size) {
    return {{west, south}, {west + size, south}, {west + size, south + size}, {west, south + size}, {west, south}};
}

class FoundMarkViewTest : public testing::HeadlessTest {
protected:
    FoundMarkViewTest() {
        test::write_bytes(folder.file(k_state_file), "WL\tWestland\t-102\t-100\t38\t40\r\n");
        test::write_bytes(folder.file(k_county_file), "Alpha\tWL\t-102\t-101\t38\t39\r\n");
        test::write_bytes(folder.file(k_mile_marker_file), "WL99,EW,0,102,100,100\r\n");
        engine::FeatureSet features;
        features.areas.push_back({engine::AreaKind::state, "Westland", "91", "WL", {square(-102, 38, 2)}});
        features.areas.push_back({engine::AreaKind::county, "Alpha", "91001", "WL", {square(-102, 38, 1)}});
        engine::RoadFeature interstate;
        interstate.road_class = engine::RoadClass::interstate;
        interstate.ref = "I 99";
        interstate.points = {{-102.5, 39.2}, {-99.5, 39.2}};
        features.roads.push_back(interstate);
        // Beside it sixteen states of four counties each, so that every colour of the shading
        // palettes and their mixtures turn up.
        for (int st = 0; st < 16; ++st) {
            const double west = -110 + (st % 4) * 2, south = 30 + (st / 4) * 2;
            const std::string code = std::to_string(10 + st);
            features.areas.push_back({engine::AreaKind::state, "State " + code, code, "S" + code, {square(west, south, 2)}});
            for (int c = 0; c < 4; ++c)
                features.areas.push_back({engine::AreaKind::county, "County " + code + std::to_string(c), code + "00" + std::to_string(c),
                                          "S" + code, {square(west + (c % 2), south + (c / 2), 1)}});
        }
        engine::write_pack(features, (packs.path() / "region.pack").string());
        for (auto* e : {marked.get(), plain.get()}) {
            e->set_data_folder(engine::DataFolder::states, packs.path().string());
            e->view().set_size(200, 150);
            e->view().show_rectangle(-110, 45, -90, 35);
        }
        host_form->load_special_options(StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"}));
    }

    SearchHostAccess access() {
        SearchHostAccess a;
        a.control_ok = [] { return true; };
        a.engine = [this] { return EngineControl(marked_ref); };
        a.events = [this] { return ObjectRef(events); };
        a.host_form = [this] { return ObjectRef(host_form); };
        a.picture = [this] { return ObjectRef(picture); };
        a.remember_picture = [](const ObjectRef&) {};
        a.size_map_to_picture = [](const ObjectRef&) {};
        // As the server's render: paint into the picture, then read the extent the client is told.
        a.render_map = [this](const ObjectRef& pic) {
            EngineControl control(marked_ref);
            control.paint(ClientPicture(pic).hdc(), 0, 0, 200, 150, false);
            reported = {control.extent_west(), control.extent_east(), control.extent_south(), control.extent_north()};
        };
        a.view_extent = [this] { return reported; };
        a.data_folder = folder.path().string();
        return a;
    }
    void go_to(std::int16_t kind, const std::string& text) {
        search.ShowSearchDialog(picture);
        frmSearch& dialog = *search.dialog();
        dialog.optType[kind].click();
        dialog.txtFind.set_text(text);
        dialog.cmdFind.click();
        ASSERT_TRUE(dialog.lstFind.enabled()) << text << " found nothing";
        dialog.lstFind.click_row(0);
        dialog.cmdOk.click();
    }

    test::ScratchFolder folder{"found-mark-view"};
    test::ScratchFolder packs{"found-mark-packs"};
    std::shared_ptr<engine::MapEngine> marked = std::make_shared<engine::MapEngine>();
    std::shared_ptr<engine::MapEngine> plain = std::make_shared<engine::MapEngine>();
    ObjectRef marked_ref = std::make_shared<engine::EngineDispatch>(marked);
    std::shared_ptr<Quiet> events = std::make_shared<Quiet>();
    std::shared_ptr<host::MainForm> host_form = std::make_shared<host::MainForm>();
    std::shared_ptr<host::PictureBox> picture = std::make_shared<host::PictureBox>(200, 150);
    engine::Extent reported;
    MapSearch search{access()};
};

TEST_F(FoundMarkViewTest, MarkingNeverMovesTheViewTheClientIsTold) {
    // The plain engine is shown each item as it was before marks: the same rectangle or centre.
    go_to(FIND_STATE, "WL");
    const double dx = 2.0 / 50, dy = 2.0 / 50;
    plain->view().show_rectangle(-102 - dx, 40 + dy, -100 + dx, 38 - dy);
    EXPECT_EQ(reported, plain->view().extent());
    EXPECT_EQ(marked->found_mark().kind, engine::FoundMarkKind::state);
    EXPECT_TRUE(marked->found_mark_on_map().outlined);
    EXPECT_EQ(marked->found_mark_on_map().area_code, "91");

    go_to(FIND_COUNTY, "Alpha, WL");
    plain->view().show_rectangle(-102 - 0.02, 39 + 0.02, -101 + 0.02, 38 - 0.02);
    EXPECT_EQ(reported, plain->view().extent());
    EXPECT_EQ(marked->found_mark_on_map().area_code, "91001");

    events->callsign_answer = "W5ABC,-101.3,38.4";
    go_to(FIND_CALLSIGN, "W5ABC");
    plain->view().set_zoom(15);
    plain->view().centre_on(-101.3, 38.4);
    EXPECT_EQ(reported, plain->view().extent());
    EXPECT_EQ(marked->found_mark_on_map().point_kind, engine::MarkOnMap::Point::pin);

    // Mile 50 of the interstate lies at 101 W; the state's box is moved to be centred on it.
    go_to(FIND_MILEMARKER, "WL,99,50");
    plain->view().show_rectangle(-102, 40, -100, 38);
    EXPECT_EQ(reported, plain->view().extent());
    ASSERT_EQ(marked->found_mark_on_map().point_kind, engine::MarkOnMap::Point::dot);
    EXPECT_DOUBLE_EQ(marked->found_mark_on_map().point.lon, -101.0);
    EXPECT_NEAR(marked->found_mark_on_map().point.lat, 39.2, 1e-6);

    // Painting again with the mark shown changes nothing either.
    const engine::Extent before = marked->view().extent();
    search.DrawMileMarkerLine(picture);
    EngineControl(marked_ref).paint(ClientPicture(picture).hdc(), 0, 0, 200, 150, false);
    EXPECT_EQ(marked->view().extent(), before);
}

// The relative luminance of an sRGB colour and the contrast of two: 1 for the same colour, 21 for
// black on white. Lines that must be seen want 3 or more.
double luminance(std::uint32_t argb) {
    const auto channel = [&](int shift) {
        const double c = ((argb >> shift) & 0xFFu) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(16) + 0.7152 * channel(8) + 0.0722 * channel(0);
}
double contrast(std::uint32_t a, std::uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(FoundMarkViewTest, TheMarkerLineReadsOverEveryLandShadingWhiteAndBlackAndWhite) {
    // The least contrast of the line with the land in the middle of each of the sixteen states' counties.
    auto least_contrast = [&](bool monochrome) {
        marked->view().show_rectangle(-110, 38, -102, 30);
        auto map = std::make_shared<host::PictureBox>(200, 150);
        marked->paint(map->hdc(), 0, 0, 200, 150, monochrome);
        const std::uint32_t line = host::argb_of_colour(k_marker_line_colour);
        double least = 21;
        for (double lon = -109.5; lon < -102; lon += 1)
            for (double lat = 30.5; lat < 38; lat += 1)
                least = std::min(least, contrast(line, map->surface().pixel(static_cast<std::int32_t>(marked->view().to_pixel_x(lon)),
                                                                            static_cast<std::int32_t>(marked->view().to_pixel_y(lat)))));
        return least;
    };
    EXPECT_GE(least_contrast(false), 3.0) << "the usual pale land with state and county shadings";
    marked->set_background_colour(0xFFFFFF);
    EXPECT_GE(least_contrast(false), 3.0) << "a white background";
    marked->style().shade_states = marked->style().shade_counties = false;
    EXPECT_GE(least_contrast(false), 3.0) << "white land, no shadings";
    EXPECT_GE(least_contrast(true), 3.0) << "black and white";
    EXPECT_GE(contrast(host::argb_of_colour(k_marker_line_colour), 0xFFFFFFFFu), 4.5) << "the white middle";
}

}  // namespace
}  // namespace tolm::server
