#include "server/search/map_search.h"

#include "engine/engine_ids.h"
#include "ui/forms/screen.h"
#include "ui/headless/headless_fixture.h"
#include "host/MainForm.h"
#include "host/PictureBox.h"
#include "server/search/region_files.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

namespace op = engine::ids;

// The engine as the search uses it: found items are reported nested inside the address search.
class EngineStandIn : public DynamicDispatch {
public:
    std::function<void(std::string&)> found;
    std::vector<std::string> found_texts;
    std::string answer;
    std::vector<std::pair<DispId, Arguments>> calls;

    EngineStandIn() {
        add_member("AddressSearch", [this](InvokeKind, Arguments& args) {
            calls.emplace_back(op::ADDRESS_SEARCH, args);
            for (auto text : found_texts) found(text);
            return Variant(static_cast<std::int32_t>(found_texts.size()));
        }, op::ADDRESS_SEARCH);
        add_member("PhoneLookup", [this](InvokeKind, Arguments& args) { calls.emplace_back(op::PHONE_LOOKUP, args); return Variant(); }, op::PHONE_LOOKUP);
        add_member("AnswerText", [this](InvokeKind, Arguments&) { return Variant(answer); }, op::ANSWER_TEXT);
        for (DispId id : {op::SHOW_RECTANGLE, op::ZOOM_LEVEL, op::CENTRE_ON})
            add_member("op" + std::to_string(id), [this, id](InvokeKind, Arguments& args) { calls.emplace_back(id, args); return Variant(); }, id);
        // The found marks are kept apart from the calls that set the view.
        for (DispId id : {op::MARK_PIN, op::MARK_REGION, op::MARK_MILE_MARKER, op::CLEAR_FOUND_MARK})
            add_member("mark" + std::to_string(id), [this, id](InvokeKind, Arguments& args) {
                if (!can_mark) raise_runtime_error(runtime_errors::object_does_not_support_member, "engine");
                marks.emplace_back(id, args);
                return Variant();
            }, id);
    }
    bool can_mark = true;
    std::vector<std::pair<DispId, Arguments>> marks;
    // The last mark as text: "pin x,y", "region kind name/state", "mile marker state road line lat", "clear".
    std::string last_mark() const {
        if (marks.empty()) return "";
        const auto& [id, a] = marks.back();
        auto number = [](const Variant& v) {
            std::ostringstream out;
            out << v.to_double();
            return out.str();
        };
        if (id == op::MARK_PIN) return "pin " + number(a[0]) + "," + number(a[1]);
        if (id == op::MARK_REGION) return "region " + std::to_string(a[0].to_int32()) + " " + a[1].to_string() + "/" + a[2].to_string();
        if (id == op::MARK_MILE_MARKER)
            return "mile marker " + a[0].to_string() + " " + a[1].to_string() + " " + number(a[2]) + (a[3].to_bool() ? " lat" : " lon");
        return "clear";
    }
};

class EventsStandIn : public DynamicDispatch {
public:
    std::vector<std::string> log;
    std::string callsign_answer;
    EventsStandIn() {
        add_method("SignalSuspend", [this](Arguments& args) { log.push_back("suspend " + std::to_string(args[0].to_bool())); return Variant(); });
        add_method("SignalSpecialRedraw", [this](Arguments& args) { log.push_back("redraw " + args[0].to_string()); return Variant(); });
        add_method("SignalCallsignData", [this](Arguments& args) { log.push_back("callsign " + args[0].to_string()); args[1] = Variant(callsign_answer); return Variant(); });
    }
};

class MapSearchTest : public testing::HeadlessTest {
protected:
    MapSearchTest() {
        test::write_bytes(folder.file(k_state_file), "TX\tTexas\t-106.65\t-93.51\t25.84\t36.5\r\n");
        test::write_bytes(folder.file(k_county_file), "Travis\tTX\t-98.17\t-97.37\t30.02\t30.63\r\n");
        test::write_bytes(folder.file(k_mile_marker_file), "TX20,EW,0,106.6,100,104.0\r\n");
        host_form->load_special_options(StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"}));
        engine->found = [this](std::string& text) { search.mfrmP_Find(text); };
    }

    SearchHostAccess access() {
        SearchHostAccess a;
        a.control_ok = [this] { return control_ok; };
        a.engine = [this] { return EngineControl(engine); };
        a.events = [this] { return ObjectRef(events); };
        a.host_form = [this] { return ObjectRef(host_form); };
        a.picture = [this] { return remembered; };
        a.remember_picture = [this](const ObjectRef& pic) { if (!remembered) remembered = pic; };
        a.size_map_to_picture = [this](const ObjectRef&) { sizes++; };
        a.render_map = [this](const ObjectRef& pic) {
            renders++;
            if (search.marker_line_shown()) search.DrawMileMarkerLine(pic);
        };
        a.view_extent = [this] { return view; };
        a.data_folder = folder.path().string();
        return a;
    }
    frmSearch& open() {
        search.ShowSearchDialog(picture);
        return *search.dialog();
    }
    void find(std::int16_t kind, const std::string& text) {
        frmSearch& dialog = open();
        dialog.optType[kind].click();
        dialog.txtFind.set_text(text);
        dialog.cmdFind.click();
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < search.dialog()->lstFind.list_count(); ++i) out.push_back(search.dialog()->lstFind.list(i));
        return out;
    }
    bool menu_item_visible() const { return host_form->special_option(1)->visible(); }

    test::ScratchFolder folder{"map-search"};
    std::shared_ptr<EngineStandIn> engine = std::make_shared<EngineStandIn>();
    std::shared_ptr<EventsStandIn> events = std::make_shared<EventsStandIn>();
    std::shared_ptr<host::MainForm> host_form = std::make_shared<host::MainForm>();
    std::shared_ptr<host::PictureBox> picture = std::make_shared<host::PictureBox>(200, 100);
    ObjectRef remembered;
    bool control_ok = true;
    int sizes = 0, renders = 0;
    engine::Extent view{-110.0, -100.0, 30.0, 35.0};
    MapSearch search{access()};
};

TEST_F(MapSearchTest, DialogIsMadeOnceCentredAndRestored) {
    EXPECT_FALSE(search.ShowSearchDialog(picture));
    frmSearch* dialog = search.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->visible());
    EXPECT_EQ(remembered, ObjectRef(picture));
    EXPECT_EQ(dialog->left(), (forms::screen::width() - dialog->width()) / 2);
    EXPECT_EQ(dialog->top(), (forms::screen::height() - dialog->height()) / 2);
    dialog->move(0, 0);
    dialog->set_window_state(forms::WindowState::minimized);
    search.ShowSearchDialog(nullptr);
    EXPECT_EQ(search.dialog(), dialog);
    EXPECT_EQ(dialog->window_state(), forms::WindowState::normal);
    EXPECT_EQ(dialog->top(), (forms::screen::height() - dialog->height()) / 2);
}

TEST_F(MapSearchTest, AddressRowsComeFromTheEnginesFoundItems) {
    engine->found_texts = {"N MAIN ST\tAUSTIN\t150\tTX\t78701\t\t-97.745,30.27", "bad\ttext",
                           "\tAUSTIN\t\tTX\t\t\t-97.74,30.27"};
    find(FIND_ADDRESS, "Austin, TX");
    // Two rows: no refining search.
    ASSERT_EQ(engine->calls.size(), 1u);
    EXPECT_EQ(engine->calls[0].second[0].to_string(), "Austin, TX");
    EXPECT_EQ(rows(), (std::vector<std::string>{"150 N Main St, Austin, TX, 78701", "Austin, TX"}));
    EXPECT_EQ(search.dialog()->ResultLbl.caption(), "3");

    // Go To: a place at level 12, a street address at level 15, each centred.
    search.dialog()->lstFind.click_row(1);
    search.dialog()->cmdOk.click();
    search.dialog()->lstFind.click_row(0);
    search.dialog()->cmdOk.click();
    ASSERT_EQ(engine->calls.size(), 5u);
    EXPECT_EQ(engine->calls[1].first, op::ZOOM_LEVEL);
    EXPECT_EQ(engine->calls[1].second[0].to_int32(), 12);
    EXPECT_EQ(engine->calls[2].first, op::CENTRE_ON);
    EXPECT_DOUBLE_EQ(engine->calls[2].second[0].to_double(), -97.74);
    EXPECT_EQ(engine->calls[3].second[0].to_int32(), 15);
    EXPECT_EQ(events->log, (std::vector<std::string>{"suspend 1", "redraw Austin, TX", "suspend 1",
                                                     "redraw 150 N Main St, Austin, TX, 78701"}));
    EXPECT_EQ(renders, 2);
    EXPECT_EQ(sizes, 2);

    // Found items that arrive outside an address search are not rows.
    find(FIND_STATE, "TX");
    std::string stray = "N MAIN ST\tAUSTIN\t150\tTX\t78701\t\t-97.745,30.27";
    search.mfrmP_Find(stray);
    EXPECT_EQ(rows(), std::vector<std::string>{"Texas"});
}

TEST_F(MapSearchTest, PhoneAndCallsignAnswers) {
    engine->answer = "512345\tROUND ROCK\tWILLIAMSON\tTX\t-97.68\t30.51";
    find(FIND_PHONE, "512345");
    EXPECT_EQ(rows(), std::vector<std::string>{"512345, Round Rock, Williamson, TX"});
    engine->answer = "512\tAUSTIN\t\tTX\t-97.7\t30.3";  // not the digits asked for
    find(FIND_PHONE, "512999");
    EXPECT_EQ(rows(), std::vector<std::string>{"Nothing found."});

    events->callsign_answer = "W5ABC-9,-97.5,30.1\tW5ABC,-97.6,30.2";
    find(FIND_CALLSIGN, "W5ABC");
    EXPECT_EQ(rows(), (std::vector<std::string>{"W5ABC", "W5ABC-9"}));
    EXPECT_EQ(events->log.back(), "callsign W5ABC");
}

TEST_F(MapSearchTest, RegionsZoomToTheirGrownBox) {
    find(FIND_COUNTY, "Travis");
    EXPECT_EQ(rows(), std::vector<std::string>{"Travis, TX"});
    search.dialog()->cmdOk.click();
    ASSERT_EQ(engine->calls.size(), 1u);
    EXPECT_EQ(engine->calls[0].first, op::SHOW_RECTANGLE);
    EXPECT_NEAR(engine->calls[0].second[0].to_double(), -98.17 - 0.016, 1e-9);
    EXPECT_NEAR(engine->calls[0].second[3].to_double(), 30.02 - 0.0122, 1e-9);
    EXPECT_FALSE(search.marker_line_shown());
}

TEST_F(MapSearchTest, MileMarkerLineStaysUntilHidden) {
    find(FIND_MILEMARKER, "TX,20,100");
    EXPECT_EQ(rows(), std::vector<std::string>{"TX, IS-20, Mile marker 100"});
    search.dialog()->cmdOk.click();
    EXPECT_TRUE(search.marker_line_shown());
    EXPECT_DOUBLE_EQ(search.marker_line(), -104.0);
    EXPECT_FALSE(search.marker_line_is_latitude());
    EXPECT_TRUE(menu_item_visible());
    // -104 lies 60 % across the view from -110 to -100: a broad violet line with a white middle.
    EXPECT_EQ(picture->surface().pixel(120, 50), host::argb_of_colour(0xFFFFFF));
    EXPECT_EQ(picture->surface().pixel(122, 50), host::argb_of_colour(k_marker_line_colour));
    EXPECT_EQ(picture->surface().pixel(60, 50), host::argb_of_colour(0xFFFFFF));

    // A county find keeps the line; a view without it draws none and leaves the menu item alone.
    find(FIND_COUNTY, "Travis");
    search.dialog()->cmdOk.click();
    EXPECT_TRUE(search.marker_line_shown());
    view = {-90.0, -80.0, 30.0, 35.0};
    auto other = std::make_shared<host::PictureBox>(200, 100);
    search.DrawMileMarkerLine(other);
    EXPECT_EQ(other->surface().pixel(120, 50), host::argb_of_colour(0xFFFFFF));

    events->log.clear();
    search.HideMileMarkerLine();
    EXPECT_FALSE(search.marker_line_shown());
    EXPECT_EQ(engine->last_mark(), "region 1 Travis/TX") << "the county's outline is no mile marker's mark";
    EXPECT_FALSE(menu_item_visible());
    EXPECT_EQ(events->log, (std::vector<std::string>{"suspend 1", "redraw Kartovex V7 Server"}));
    const int renders_before = renders;
    search.HideMileMarkerLine();  // nothing shown: nothing happens
    EXPECT_EQ(renders, renders_before);
}

TEST_F(MapSearchTest, TheChosenItemIsMarkedUntilTheNextSearch) {
    auto go_to = [&](std::int16_t kind, const std::string& text, std::int32_t row = 0) {
        find(kind, text);
        const std::size_t before = engine->marks.size();
        search.dialog()->lstFind.click_row(row);
        search.dialog()->cmdOk.click();
        // Marked before the picture is drawn, so the redraw shows it.
        EXPECT_EQ(engine->marks.size(), before + 1) << text;
        return engine->last_mark();
    };
    engine->found_texts = {"N MAIN ST\tAUSTIN\t150\tTX\t78701\t\t-97.745,30.27"};
    EXPECT_EQ(go_to(FIND_ADDRESS, "150 Main, Austin"), "pin -97.745,30.27");
    EXPECT_EQ(go_to(FIND_STATE, "TX"), "region 0 Texas/");
    EXPECT_EQ(go_to(FIND_COUNTY, "Travis"), "region 1 Travis/TX");
    // The region's box as shown: the grown box's corners.
    const auto& region = engine->marks.back().second;
    EXPECT_NEAR(region[3].to_double(), -98.17 - 0.016, 1e-9);
    EXPECT_NEAR(region[6].to_double(), 30.02 - 0.0122, 1e-9);
    EXPECT_EQ(go_to(FIND_MILEMARKER, "TX,20,100"), "mile marker TX 20 -104 lon");
    events->callsign_answer = "W5ABC,-97.6,30.2";
    EXPECT_EQ(go_to(FIND_CALLSIGN, "W5ABC"), "pin -97.6,30.2");
    engine->answer = "512\tAUSTIN\tTRAVIS\tTX\t-97.7\t30.3";
    EXPECT_EQ(go_to(FIND_PHONE, "512"), "pin -97.7,30.3");
    engine->answer = "512\tAUSTIN\tTRAVIS\tTX\t0\t0";  // an area the data has no position for
    EXPECT_EQ(go_to(FIND_PHONE, "512"), "clear");

    // A new search clears the mark before it lists anything; finding a row marks nothing.
    engine->marks.clear();
    find(FIND_STATE, "T");
    ASSERT_EQ(engine->marks.size(), 1u);
    EXPECT_EQ(engine->last_mark(), "clear");
}

TEST_F(MapSearchTest, HidingTheMileMarkerLineTakesItsMarkAway) {
    find(FIND_MILEMARKER, "TX,20,100");
    search.dialog()->cmdOk.click();
    EXPECT_EQ(engine->last_mark(), "mile marker TX 20 -104 lon");
    search.HideMileMarkerLine();
    EXPECT_EQ(engine->last_mark(), "clear");
}

TEST_F(MapSearchTest, AnEngineThatCannotMarkStillShowsTheItem) {
    engine->can_mark = false;
    find(FIND_COUNTY, "Travis");
    EXPECT_EQ(rows(), std::vector<std::string>{"Travis, TX"});
    search.dialog()->cmdOk.click();
    ASSERT_EQ(engine->calls.size(), 1u);
    EXPECT_EQ(engine->calls[0].first, op::SHOW_RECTANGLE);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(events->log, (std::vector<std::string>{"suspend 1", "redraw Travis, TX"}));
}

TEST_F(MapSearchTest, NoZoomWithoutAUsableEngine) {
    find(FIND_STATE, "TX");
    control_ok = false;
    search.dialog()->cmdOk.click();
    EXPECT_TRUE(engine->calls.empty());
    EXPECT_EQ(renders, 0);
}

}  // namespace
}  // namespace tolm::server

namespace tolm::server {
namespace {

TEST_F(MapSearchTest, OneRowForATwoPartTextTakesThePointOfTheRefiningSearch) {
    engine->found_texts = {"\tAUSTIN\t\tTX\t\t\t-97.70,30.30"};
    find(FIND_ADDRESS, "Austin, TX");
    ASSERT_EQ(engine->calls.size(), 2u);
    EXPECT_EQ(engine->calls[1].second[0].to_string(), "Austin");
    EXPECT_EQ(rows(), std::vector<std::string>{"Austin, TX"});
    // The count shown is that of the second search.
    EXPECT_EQ(search.dialog()->ResultLbl.caption(), "1");
}

}  // namespace
}  // namespace tolm::server
