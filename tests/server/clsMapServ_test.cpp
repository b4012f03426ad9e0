#include "server_fixture_support.h"

#include "support/scratch.h"

#include "common/path_text.h"
#include "engine/engine_ids.h"
#include "platform/module_info.h"
#include "platform/problem_report.h"
#include "platform/runtime_error.h"
#include "platform/saved_settings.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>

namespace tolm::server::test {
namespace {

namespace ids = engine::ids;
using ::testing::ElementsAre;

// ---- Before Initialize --------------------------------------------------------------------------

TEST_F(ServerTest, DrawingBeforeInitializeClearsThePicture) {
    put_property(m_picture_ref, "BackColor", Variant(std::int32_t{0x0000FF}));
    EXPECT_TRUE(draw(-10, 50, 10, 40));
    EXPECT_EQ(m_picture->surface().pixel(0, 0), host::argb_of_colour(0xFFFFFF));
    EXPECT_FALSE(m_picture->has_picture());
    EXPECT_TRUE(m_engine->calls.empty());
    EXPECT_FALSE(std::filesystem::exists(entry_file()));
}

TEST_F(ServerTest, AStartThatFailedBeforeTheEngineReportsThePlaceholderExtent) {
#ifdef _WIN32
    GTEST_SKIP() << "the failing folder is made with a dangling symbolic link, which Windows does not offer here";
#endif
    // A name that exists but is no folder and cannot be made one: the overlay folder step fails.
    const auto overlays = std::filesystem::path(platform::module_folder()) / "Tolm Overlays";
    std::filesystem::remove_all(overlays);
    std::filesystem::create_symlink("/nonexistent/tolm-target", overlays);
    EXPECT_THROW(initialize(), RuntimeError);
    std::filesystem::remove(overlays);
    EXPECT_FALSE(m_server->blnControlOk());

    EXPECT_TRUE(draw(-10, 50, 10, 40));
    ASSERT_EQ(m_events->information().size(), 1u);
    const auto& signal = m_events->information().back();
    EXPECT_EQ(signal.coordinate_type, VariantType::integer);
    EXPECT_EQ(signal.west, -50);
    EXPECT_EQ(signal.east, 50);
    EXPECT_EQ(signal.north, 50);
    EXPECT_EQ(signal.south, -50);
    EXPECT_EQ(signal.server_name, "Kartovex V7 Server");
}

TEST_F(ServerTest, BeforeInitializeNavigationClearsAndSpecialOptionsRefuse) {
    for (std::int16_t index : {0, 1, 2, 3, 4, -1}) EXPECT_FALSE(m_server->SpecialMenuOption(m_picture_ref, index));
    put_property(m_picture_ref, "BackColor", Variant(std::int32_t{0x0000FF}));
    EXPECT_TRUE(m_server->ZoomIn(m_picture_ref));
    EXPECT_EQ(m_picture->back_color(), 0xFFFFFF);
    EXPECT_EQ(m_picture->surface().pixel(5, 5), host::argb_of_colour(0xFFFFFF));
    EXPECT_FALSE(m_picture->has_picture());
    EXPECT_TRUE(m_engine->calls.empty());
    EXPECT_THROW(m_server->varMapBackColor(), RuntimeError);
    EXPECT_TRUE(m_server->varSeaColor().is_empty());
    EXPECT_FALSE(m_server->blnControlOk());
}

// ---- Initialize ---------------------------------------------------------------------------------

TEST_F(ServerTest, InitializeRunsItsStepsInOrder) {
    write_settings(std::string(k_complete_settings) + "[SETUP]\r\nUNDERLAY=/u/relief.BMP\r\nMONOCHROME=1\r\n");
    initialize();
    EXPECT_TRUE(m_server->blnControlOk());
    EXPECT_TRUE(m_server->blnMono());
    EXPECT_EQ(m_server->strUnderFile(), "/u/relief.BMP");

    const auto calls = m_engine->ids();
    auto position = [&](DispId id) { return std::find(calls.begin(), calls.end(), id) - calls.begin(); };
    // The form's load, then step 8, then the settings, then steps 11 to 15.
    EXPECT_EQ(calls.front(), ids::LABEL_FONT_SCALE);
    EXPECT_LT(position(ids::EDGE_PANNING), position(ids::LOAD_SETTINGS));
    EXPECT_LT(position(ids::LOAD_SETTINGS), position(ids::DATA_FOLDER_1));
    EXPECT_EQ(m_engine->properties[ids::SUPPLEMENTARY_STATES_FOLDER].to_string(), "/d/States");
    EXPECT_EQ(m_engine->properties[ids::SHADE_COUNTIES].to_bool(), true);
    EXPECT_EQ(m_engine->properties[ids::ONEWAY_ARROWS].to_bool(), false);
    const std::vector<DispId> tail(calls.end() - 16, calls.end());
    EXPECT_THAT(tail, ElementsAre(ids::BACKGROUND_COLOUR, ids::SET_MAP_SIZE, ids::LABEL_FONT_SCALE, ids::ANTIALIAS,
                                  ids::COLOUR_ITEM, ids::COLOUR_ITEM, ids::LABEL_HALO, ids::LABEL_HALO_WIDTH,
                                  ids::LABEL_HALO_COLOUR, ids::BACKGROUND_COLOUR, ids::OVERLAY_SHOWN,
                                  ids::UNDERLAY_SHOWN, ids::REFRESH, ids::BEGIN_SESSION, ids::SAVE_SETTINGS,
                                  ids::SETTINGS_APPLIED));
    EXPECT_EQ(m_engine->colour_items[2], 0xE0BA96);
    EXPECT_EQ(m_engine->colour_items[0xC004], -1);
    EXPECT_EQ(m_engine->properties[ids::BACKGROUND_COLOUR].to_int32(), 0xAFFFFF);

    // The engine's configuration file says whether an underlay is to be shown before the engine reads it.
    const std::string cfg = tolm::test::read_bytes(join_path(platform::module_folder(), "Cartix71.Cfg"));
    EXPECT_NE(cfg.find("OVER=TRUE"), std::string::npos);
    EXPECT_NE(cfg.find("UNDER=TRUE"), std::string::npos);
}

TEST_F(ServerTest, InitializeLeavesExistingLayerFoldersAndPlainFilesAlone) {
    write_settings(k_complete_settings);
    const auto overlays = std::filesystem::path(platform::module_folder()) / "Tolm Overlays";
    const auto underlays = std::filesystem::path(platform::module_folder()) / "Tolm Underlays";
    std::filesystem::remove_all(overlays);
    std::filesystem::remove_all(underlays);
    tolm::test::write_bytes(underlays.string(), "a plain file");
    initialize();
    EXPECT_TRUE(std::filesystem::is_directory(overlays));
    EXPECT_TRUE(std::filesystem::is_regular_file(underlays));
    std::filesystem::remove(underlays);
}

// A read-only or full server folder: the engine settings cannot be saved, yet the server starts,
// draws and says what it could not save.
TEST_F(ServerTest, SettingsThatCannotBeSavedDoNotStopTheStart) {
    write_settings(k_complete_settings);
    m_engine->failing_id = ids::SAVE_SETTINGS;
    EXPECT_NO_THROW(initialize());
    EXPECT_NE(platform::last_reported_problem().find("failing on purpose"), std::string::npos);
    EXPECT_NE(platform::last_reported_problem().find("not kept for the next session"), std::string::npos);
    m_engine->failing_id.reset();
    EXPECT_TRUE(draw(-10, 50, 10, 40));
    EXPECT_EQ(m_events->information().size(), 1u);
}

TEST_F(ServerTest, AnEmptyBooleanEndsInitializeWithATypeMismatch) {
    write_settings(std::string(k_complete_settings) + "[SETUP]\r\nSHADE_STATE=\r\n");
    try {
        initialize();
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::type_mismatch);
    }
    EXPECT_EQ(m_engine->count(ids::BEGIN_SESSION), 0u);
}

// ---- Drawing ------------------------------------------------------------------------------------

TEST_F(ServerTest, DrawingReportsThePaintedExtentAndWritesTheMapEntryFile) {
    write_settings(k_complete_settings);
    initialize();
    m_engine->calls.clear();
    ASSERT_TRUE(draw(-122.425, 47.6045, -122.0, 47.5));

    ASSERT_EQ(m_events->information().size(), 1u);
    const auto& signal = m_events->information().back();
    EXPECT_EQ(signal.west, m_engine->west);
    EXPECT_EQ(signal.east, m_engine->east);
    EXPECT_EQ(signal.north, m_engine->north);
    EXPECT_EQ(signal.south, m_engine->south);
    EXPECT_EQ(signal.server_name, "Kartovex V7 Server");
    EXPECT_EQ(signal.coordinate_type, VariantType::double_real);

    EXPECT_EQ(tolm::test::read_bytes(entry_file()),
              "122.25.50W,47.36.27N\r\n122.00.00W,47.30.00N\r\nKartovex V7 Server\r\n");
    // The map was painted at the picture's size in pixels, and made the picture's persistent image.
    EXPECT_EQ(m_picture->scale_mode(), 3);
    EXPECT_EQ(m_picture->surface().pixel(39, 29), m_engine->paint_argb);
    EXPECT_TRUE(m_picture->has_picture());
    EXPECT_EQ(m_picture->back_color(), 0xE0BA96);
    EXPECT_FALSE(m_form->special_option(1)->visible());
}

TEST_F(ServerTest, TheEngineMapIsResizedOnlyWhenThePictureSizeChanges) {
    write_settings(k_complete_settings);
    initialize();
    m_engine->calls.clear();
    draw(-10, 50, 10, 40);
    draw(-11, 51, 11, 41);
    EXPECT_TRUE(m_server->ZoomIn(m_picture_ref));
    EXPECT_EQ(m_engine->count(ids::SET_MAP_SIZE), 1u);
    EXPECT_EQ(m_engine->count(ids::PAINT), 3u);
    EXPECT_EQ(m_engine->count(ids::ZOOM_IN), 1u);
}

TEST_F(ServerTest, EqualCornersShowTheWholeWorld) {
    write_settings(k_complete_settings);
    initialize();
    EXPECT_TRUE(draw(5, 40, 5, 50));
    EXPECT_EQ(m_engine->west, -160);
    EXPECT_EQ(m_engine->north, 80);
    EXPECT_EQ(m_engine->east, 160);
    EXPECT_EQ(m_engine->south, -80);
    // The whole world starts afresh: a found item's mark goes, before the paint.
    const auto order = m_engine->ids();
    const auto clear = std::find(order.rbegin(), order.rend(), ids::CLEAR_FOUND_MARK);
    ASSERT_NE(clear, order.rend());
    EXPECT_LT(std::find(order.rbegin(), order.rend(), ids::PAINT), clear);
    // Other drawings keep it.
    EXPECT_TRUE(draw(-100, 45, -90, 40));
    EXPECT_EQ(m_engine->count(ids::CLEAR_FOUND_MARK), 1u);
}

TEST_F(ServerTest, WithoutProgramFolderTheMapIsStillDrawn) {
    platform::delete_setting("Orvensa", "Wendal32", "Program Folder");
    write_settings(k_complete_settings);
    initialize();
    EXPECT_TRUE(draw(-10, 50, 10, 40));
    EXPECT_EQ(m_events->information().size(), 1u);
    EXPECT_EQ(m_picture->surface().pixel(0, 0), m_engine->paint_argb);
    EXPECT_FALSE(std::filesystem::exists(entry_file()));
}

TEST_F(ServerTest, AFailingStepOfTheRenderIsSkipped) {
    write_settings(k_complete_settings);
    initialize();
    m_engine->failing_id = ids::EXTENT_NORTH;
    m_engine->north = 33;
    EXPECT_TRUE(draw(-10, 50, 10, 40));
    ASSERT_EQ(m_events->information().size(), 1u);
    EXPECT_EQ(m_events->information().back().west, -10);
    EXPECT_EQ(m_events->information().back().north, 0) << "the member keeps what it held";
    EXPECT_TRUE(m_picture->has_picture());
}

// The client's picture box, except that its DrawStyle cannot be read; every put is recorded.
class PenShyPicture : public Dispatch {
public:
    explicit PenShyPicture(std::shared_ptr<host::PictureBox> box) : m_box(std::move(box)) {}
    std::optional<DispId> id_of_name(std::string_view name) const override { return m_box->id_of_name(name); }
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override {
        if (id == m_box->id_of_name("DrawStyle") && kind == InvokeKind::property_get)
            throw RuntimeError(runtime_errors::invalid_procedure_call, "PenShyPicture", "not now");
        if (kind == InvokeKind::property_put)
            for (const char* name : {"DrawWidth", "DrawMode", "DrawStyle"})
                if (id == m_box->id_of_name(name)) pen_puts.emplace_back(name, args.at(0));
        return m_box->invoke(id, kind, args);
    }
    std::vector<std::pair<std::string, Variant>> pen_puts;

private:
    std::shared_ptr<host::PictureBox> m_box;
};

TEST_F(ServerTest, ThePenIsPutBackAfterThePaintExceptWhatCouldNotBeRead) {
    write_settings(k_complete_settings);
    initialize();
    put_property(m_picture_ref, "DrawWidth", Variant(std::int16_t{3}));
    put_property(m_picture_ref, "DrawMode", Variant(std::int16_t{7}));
    auto shy = std::make_shared<PenShyPicture>(m_picture);
    ObjectRef picture = shy;
    double x1 = -10, y1 = 50, x2 = 10, y2 = 40;
    EXPECT_TRUE(m_server->DrawMapFromCorners(picture, x1, y1, x2, y2));
    EXPECT_THAT(shy->pen_puts, ElementsAre(std::pair<std::string, Variant>{"DrawWidth", Variant(std::int16_t{3})},
                                           std::pair<std::string, Variant>{"DrawMode", Variant(std::int16_t{7})}));
    EXPECT_EQ(m_engine->count(ids::PAINT), 1u);
    EXPECT_TRUE(m_picture->has_picture()) << "the render went on to the end";
}

TEST_F(ServerTest, LaterRendersNeedTheClientsWindow) {
    write_settings(k_complete_settings);
    initialize();
    draw(-10, 50, 10, 40);
    m_desktop.remove_top_level_window(m_client_window);
    m_engine->calls.clear();
    EXPECT_TRUE(draw(-20, 50, 20, 40));
    EXPECT_EQ(m_events->information().size(), 1u);
    EXPECT_EQ(m_engine->count(ids::PAINT), 0u);
}

TEST_F(ServerTest, WhiteBackgroundChangesOnlyOnAChange) {
    write_settings(k_complete_settings);
    initialize();
    m_engine->calls.clear();
    m_server->blnWhiteBackground(false);
    EXPECT_TRUE(m_engine->calls.empty());
    m_server->blnWhiteBackground(true);
    EXPECT_EQ(m_engine->properties[ids::BACKGROUND_COLOUR].to_int32(), 0xFFFFFF);
    EXPECT_EQ(m_engine->count(ids::REFRESH), 1u);
    m_server->blnWhiteBackground(false);
    // Back to the colour the engine had when it started, which the fake engine did not set.
    EXPECT_EQ(m_engine->properties[ids::BACKGROUND_COLOUR].to_int32(), 0);
}

TEST_F(ServerTest, WhiteBackgroundSavedAsOnCanBeTurnedOffAgain) {
    write_settings(std::string(k_complete_settings) + "[SETUP]\r\nWHITE_BACKGROUND=True\r\n");
    initialize();
    EXPECT_TRUE(m_server->blnWhiteBackground());
    EXPECT_EQ(m_engine->properties[ids::BACKGROUND_COLOUR].to_int32(), 0xFFFFFF);
    m_server->blnWhiteBackground(false);
    EXPECT_EQ(m_engine->properties[ids::BACKGROUND_COLOUR].to_int32(), 0xAFFFFF);
}

TEST_F(ServerTest, OverlayIsLoadedAtTheFirstRenderAndZoomedToWhenChanged) {
    tolm::test::ScratchFolder folder("overlay");
    const std::string first = folder.file("roads.OVR"), second = folder.file("rail.OVR");
    tolm::test::write_bytes(first, "x");
    tolm::test::write_bytes(second, "x");
    write_settings(std::string(k_complete_settings) + "[SETUP]\r\nOVERLAY=" + first + "\r\n");
    initialize();
    m_engine->calls.clear();
    draw(-10, 50, 10, 40);
    EXPECT_EQ(m_engine->count(ids::OVERLAY_FILE_LOAD), 1u);
    EXPECT_EQ(m_engine->count(ids::ZOOM_TO_OVERLAY), 0u);
    EXPECT_TRUE(m_form->special_option(3)->enabled());

    m_server->strOvlFile(second);
    draw(-10, 50, 10, 40);
    EXPECT_EQ(m_engine->count(ids::ZOOM_TO_OVERLAY), 1u);

    m_server->strOvlFile(folder.file("missing.OVR"));
    draw(-10, 50, 10, 40);
    EXPECT_FALSE(m_form->special_option(3)->enabled());
    std::string last_loaded = "unset";
    for (const auto& call : m_engine->calls)
        if (call.id == ids::OVERLAY_FILE_LOAD) last_loaded = call.args.at(0).to_string();
    EXPECT_EQ(last_loaded, "") << "a missing overlay file is no overlay";
}

// ---- Navigation ---------------------------------------------------------------------------------

TEST_F(ServerTest, ZoomUnderlayReadsTheExtentFile) {
    tolm::test::ScratchFolder folder("underlay");
    write_settings(k_complete_settings);
    initialize();
    m_server->strUnderFile(folder.file("London.bmp"));
    tolm::test::write_bytes(folder.file("London.SAT"), "-0.1666667, 51.50834, 0.25, 51.25\r\n");
    std::int16_t index = 2;
    EXPECT_TRUE(m_server->SpecialMenuOption(m_picture_ref, index));
    EXPECT_THAT(m_events->suspends(), ElementsAre(true));
    EXPECT_DOUBLE_EQ(m_engine->west, -0.1666667);
    EXPECT_DOUBLE_EQ(m_engine->north, 51.50834);
    EXPECT_DOUBLE_EQ(m_engine->east, 0.25);
    EXPECT_DOUBLE_EQ(m_engine->south, 51.25);

    tolm::test::write_bytes(folder.file("London.SAT"), "1,2,3,4,5\r\n");
    m_engine->calls.clear();
    EXPECT_TRUE(m_server->SpecialMenuOption(m_picture_ref, index));
    EXPECT_EQ(m_engine->count(ids::SHOW_RECTANGLE), 0u);
    EXPECT_EQ(m_engine->count(ids::PAINT), 1u);
}

TEST_F(ServerTest, SpecialOptionsOutsideTheMenuDoNothing) {
    write_settings(k_complete_settings);
    initialize();
    m_engine->calls.clear();
    for (std::int16_t index : {4, -1}) EXPECT_FALSE(m_server->SpecialMenuOption(m_picture_ref, index));
    EXPECT_TRUE(m_engine->calls.empty());
    std::int16_t search = 0;
    EXPECT_FALSE(m_server->SpecialMenuOption(m_picture_ref, search));  // opens the search dialog
    std::int16_t overlay = 3;
    EXPECT_TRUE(m_server->SpecialMenuOption(m_picture_ref, overlay));
    EXPECT_EQ(m_engine->count(ids::ZOOM_TO_OVERLAY), 1u);
}

TEST_F(ServerTest, PanCodesPassUnchanged) {
    write_settings(k_complete_settings);
    initialize();
    std::int16_t code = 7;
    EXPECT_TRUE(m_server->ZoomPan(m_picture_ref, code));
    ASSERT_EQ(m_engine->count(ids::PAN), 1u);
    for (const auto& call : m_engine->calls)
        if (call.id == ids::PAN) {
            EXPECT_EQ(call.args.at(0).to_int32(), 7);
        }
}

TEST_F(ServerTest, SupportedFeaturesNameTheMenuAndTheHelp) {
    bool diagonal = false, zoom_in = false, zoom_out = false, zoom_all = false, panel = false;
    std::string help, name;
    std::int32_t topic = 0;
    StringArray captions;
    m_server->GetSupportedFeatures(diagonal, zoom_in, zoom_out, zoom_all, panel, help, topic, name, captions);
    EXPECT_TRUE(diagonal && zoom_in && zoom_out && zoom_all && panel);
    EXPECT_EQ(help, join_path(platform::module_folder(), "TolmServer6.HLP"));
    EXPECT_EQ(topic, 30);
    EXPECT_EQ(name, "TolmServer7");
    EXPECT_EQ(captions, StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"}));
}

// ---- Termination --------------------------------------------------------------------------------

TEST_F(ServerTest, TerminationUnloadsTheMenuElementsAndSavesTheEngineSettings) {
    write_settings(k_complete_settings);
    initialize();
    m_engine->calls.clear();
    m_server.reset();
    EXPECT_TRUE(m_form->special_option(0));
    EXPECT_FALSE(m_form->special_option(1));
    EXPECT_FALSE(m_form->special_option(3));
    EXPECT_EQ(m_engine->count(ids::SAVE_SETTINGS), 1u);
}

TEST_F(ServerTest, TerminationWithoutInitializeIsQuiet) {
    EXPECT_NO_THROW(m_server.reset());
    EXPECT_TRUE(m_form->special_option(1)) << "the server never had the form";
    EXPECT_TRUE(m_engine->calls.empty());
}

}  // namespace
}  // namespace tolm::server::test
