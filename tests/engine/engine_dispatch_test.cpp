#include "engine/engine_dispatch.h"

#include "engine/engine_ids.h"
#include "engine/pack/pack_writer.h"
#include "engine/sample_features.h"
#include "engine/settings_file.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tolm::engine {
namespace {

namespace fs = std::filesystem;

class EngineDispatchTest : public ::testing::Test {
protected:
    EngineDispatchTest() : m_engine(std::make_shared<MapEngine>()), m_face(m_engine) {
        fs::create_directories(m_folder / "States");
        write_pack(testing::sample_features(), (m_folder / "States" / "boundaries.pack").string());
    }

    Variant call(DispId id, Arguments args = {}) { return m_face.invoke(id, InvokeKind::method, args); }
    Variant get(DispId id) {
        Arguments none;
        return m_face.invoke(id, InvokeKind::property_get, none);
    }
    void put(DispId id, Variant value) {
        Arguments args{std::move(value)};
        m_face.invoke(id, InvokeKind::property_put, args);
    }

    // Declared first, so it is removed last: Windows cannot delete a pack the engine still maps.
    tolm::test::ScratchFolder m_scratch{"engine"};
    fs::path m_folder = m_scratch.path();
    std::shared_ptr<MapEngine> m_engine;
    EngineDispatch m_face;
};

TEST_F(EngineDispatchTest, ViewOperationsByIdReportTheFittedExtent) {
    call(ids::SET_MAP_SIZE, {std::int32_t(800), std::int32_t(400)});
    call(ids::SHOW_RECTANGLE, {-101.0, 41.0, -99.0, 39.0});
    const double west = get(ids::EXTENT_WEST).to_double(), east = get(ids::EXTENT_EAST).to_double();
    const double south = get(ids::EXTENT_SOUTH).to_double(), north = get(ids::EXTENT_NORTH).to_double();
    EXPECT_NEAR(north - south, 2, 1e-9);
    EXPECT_LT(west, -101);
    EXPECT_GT(east, -99);
    EXPECT_EQ(m_engine->view().extent(), (Extent{west, east, south, north}));

    put(ids::ZOOM_LEVEL, std::int32_t(15));
    call(ids::CENTRE_ON, {-122.5, 45.5});
    EXPECT_NEAR(m_engine->view().zoom(), 15, 1e-12);
    call(ids::ZOOM_OUT);
    EXPECT_NEAR(m_engine->view().zoom(), 14, 1e-12);
    call(ids::PAN, {std::int32_t(8)});
    EXPECT_GT(m_engine->view().centre().lat, 45.5);
    EXPECT_THROW(call(ids::PAN, {std::int32_t(5)}), RuntimeError);
    EXPECT_EQ(m_face.id_of_name("showrectangle"), ids::SHOW_RECTANGLE);
}

TEST_F(EngineDispatchTest, ColourItemOneIsTheBackgroundColour) {
    put(ids::BACKGROUND_COLOUR, std::int32_t(0xAFFFFF));
    EXPECT_EQ(call(ids::COLOUR_ITEM, {std::int32_t(0), std::int32_t(1)}).to_int32(), 0xAFFFFF);
    call(ids::COLOUR_ITEM, {std::int32_t(2), std::int32_t(0xE0BA96)});
    EXPECT_EQ(call(ids::COLOUR_ITEM, {std::int32_t(0), std::int32_t(2)}).to_int32(), 0xE0BA96);
    call(ids::COLOUR_ITEM, {std::int32_t(1), std::int32_t(0xFFFFFF)});
    EXPECT_EQ(get(ids::BACKGROUND_COLOUR).to_int32(), 0xFFFFFF);
}

TEST_F(EngineDispatchTest, PaintIntoADeviceContextHandleUsesTheBackgroundColour) {
    auto surface = std::make_shared<platform::RasterSurface>(120, 90, 0xFF000000u);
    const auto hdc = platform::register_surface(surface);
    call(ids::SET_MAP_SIZE, {std::int32_t(120), std::int32_t(90)});
    call(ids::SHOW_RECTANGLE, {-10.0, 10.0, 10.0, -10.0});  // no data here: all land
    put(ids::BACKGROUND_COLOUR, std::int32_t(0x00FF00));
    call(ids::PAINT, {std::int32_t(hdc), std::int32_t(0), std::int32_t(0), std::int32_t(120), std::int32_t(90),
                      Variant::boolean(false), Variant::boolean(false), Variant::boolean(false)});
    EXPECT_EQ(surface->pixel(60, 45), 0xFF00FF00u);
    platform::unregister_surface(hdc);
    EXPECT_THROW(call(ids::PAINT, {std::int32_t(hdc), std::int32_t(0), std::int32_t(0), std::int32_t(120), std::int32_t(90),
                                   Variant::boolean(false), Variant::boolean(false), Variant::boolean(false)}),
                 RuntimeError);
}

TEST_F(EngineDispatchTest, DataFoldersLoadPacksAndADamagedPackIsRefusedClearly) {
    put(ids::STATES_FOLDER, (m_folder / "States").string());
    EXPECT_EQ(m_engine->pack_count(), 1u);
    EXPECT_EQ(get(ids::STATES_FOLDER).to_string(), (m_folder / "States").string());
    std::ofstream(m_folder / "States" / "broken.pack", std::ios::binary) << "TOLMPAK\0 not really";
    try {
        put(ids::STATES_FOLDER, (m_folder / "States").string());
        ADD_FAILURE() << "a damaged pack was accepted";
    } catch (const RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("broken.pack"), std::string::npos) << e.what();
    }
    EXPECT_EQ(m_engine->pack_count(), 1u) << "the good pack stays in use";
    put(ids::DATA_FOLDER_1, (m_folder / "missing").string());
    EXPECT_EQ(m_engine->pack_count(), 1u);
}

TEST_F(EngineDispatchTest, AFolderNamedTwiceIsDrawnOnce) {
    // The supplementary states folder is often the states folder itself. Its areas must not be
    // filled twice: with the even-odd rule a doubled fill cancels out and the land disappears.
    put(ids::STATES_FOLDER, (m_folder / "States").string());
    put(ids::SUPPLEMENTARY_STATES_FOLDER, (m_folder / "States" / ".." / "States").string());
    EXPECT_EQ(m_engine->pack_count(), 1u);

    auto surface = std::make_shared<platform::RasterSurface>(120, 90, 0xFF000000u);
    const auto hdc = platform::register_surface(surface);
    const auto paint = [&] {
        call(ids::PAINT, {std::int32_t(hdc), std::int32_t(0), std::int32_t(0), std::int32_t(120), std::int32_t(90),
                          Variant::boolean(false), Variant::boolean(false), Variant::boolean(false)});
        return surface->pixel(60, 45);
    };
    call(ids::SET_MAP_SIZE, {std::int32_t(120), std::int32_t(90)});
    call(ids::SHOW_RECTANGLE, {-103.0, 40.0, -97.0, 36.0});
    const std::uint32_t with_both = paint();
    put(ids::SUPPLEMENTARY_STATES_FOLDER, std::string());
    EXPECT_EQ(paint(), with_both);
    platform::unregister_surface(hdc);
}

TEST_F(EngineDispatchTest, SettingsFileRoundTripsEverySettingAndKeepsForeignKeys) {
    const auto path = (m_folder / "Cartix71.Cfg").string();
    // The server writes the Visible section before the engine loads the file.
    std::ofstream(path, std::ios::binary) << "[Visible]\r\nOVER=TRUE\r\nUNDER=FALSE\r\n[Server]\r\nNOTE=kept\r\n";
    put(ids::STATES_FOLDER, (m_folder / "States").string());
    put(ids::SHADE_COUNTIES, Variant::boolean(false));
    put(ids::ONEWAY_ARROWS, Variant::boolean(false));
    put(ids::BACKGROUND_COLOUR, std::int32_t(0x123456));
    call(ids::COLOUR_ITEM, {std::int32_t(0xC004), std::int32_t(-1)});
    call(ids::SET_MAP_SIZE, {std::int32_t(640), std::int32_t(480)});
    call(ids::SHOW_RECTANGLE, {-122.9, 45.7, -122.4, 45.3});
    put(ids::UNDERLAY_SHOWN, Variant::boolean(true));
    call(ids::SAVE_SETTINGS, {path});
    const Extent saved = m_engine->view().extent();

    auto other = std::make_shared<MapEngine>();
    EngineDispatch face(other);
    Arguments args{path};
    face.invoke(ids::LOAD_SETTINGS, InvokeKind::method, args);
    EXPECT_EQ(other->data_folder(DataFolder::states), (m_folder / "States").string());
    EXPECT_EQ(other->pack_count(), 1u);
    EXPECT_FALSE(other->style().shade_counties);
    EXPECT_FALSE(other->style().oneway_arrows);
    EXPECT_EQ(other->background_colour(), 0x123456);
    EXPECT_EQ(other->colour_item(0xC004), -1);
    EXPECT_EQ(other->view().extent(), saved);
    EXPECT_TRUE(other->underlay_shown());

    const auto file = SettingsFile::load(path);
    EXPECT_EQ(file.get("server", "note"), "kept");

    // The server rewrites Visible before a later start: UNDER=FALSE hides the underlay at load.
    auto edited = SettingsFile::load(path);
    edited.set("Visible", "UNDER", "FALSE");
    edited.set("Visible", "OVER", "TRUE");
    edited.save(path);
    other->load_settings(path);
    EXPECT_FALSE(other->underlay_shown());
    EXPECT_TRUE(other->overlay_shown());

    // A settings file that does not exist yet leaves everything as it was.
    EXPECT_NO_THROW(other->load_settings((m_folder / "none.cfg").string()));
    EXPECT_EQ(other->background_colour(), 0x123456);
}

TEST_F(EngineDispatchTest, PhoneLookupAnswersWithTheCodeFirst) {
    put(ids::STATES_FOLDER, (m_folder / "States").string());
    call(ids::PHONE_LOOKUP, {"555"});
    const std::string answer = get(ids::ANSWER_TEXT).to_string();
    EXPECT_EQ(answer.substr(0, 4), "555\t");
    EXPECT_NE(answer.find("Midtown\tBeta\tWL\t-100.1\t39.95"), std::string::npos) << answer;
    call(ids::PHONE_LOOKUP, {"999"});
    EXPECT_EQ(get(ids::ANSWER_TEXT).to_string(), "");
}

TEST_F(EngineDispatchTest, OverlayLoadsZoomsAndUnknownIdsAreRefused) {
    const auto path = (m_folder / "route.ovr").string();
    std::ofstream(path, std::ios::binary) << "; a route\r\nCOLOR=&HFF0000\r\nLINE=-100.5,40.5 -100.0,40.0\r\nPOINT=-100.2,40.2,Camp\r\n";
    call(ids::OVERLAY_FILE_LOAD, {path});
    call(ids::ZOOM_TO_OVERLAY);
    const Extent e = m_engine->view().extent();
    EXPECT_LT(e.west, -100.5);
    EXPECT_GT(e.east, -100.0);
    EXPECT_THROW(call(ids::OVERLAY_FILE_LOAD, {(m_folder / "none.ovr").string()}), RuntimeError);
    EXPECT_THROW(call(9999), RuntimeError);
    // The address search answers with its count; the sample packs hold no "Main St".
    EXPECT_EQ(call(ids::ADDRESS_SEARCH, {"1 Main St"}).to_int32(), 0);
}

}  // namespace
}  // namespace tolm::engine

namespace tolm::engine {
namespace {

TEST_F(EngineDispatchTest, TheAboutBoxNamesTheVersionAndTheCreditsOfEachDataFolderOnce) {
    fs::create_directories(m_folder / "Data1");
    std::ofstream(m_folder / "States" / "ATTRIBUTION", std::ios::binary) << "Boundaries: public domain.\r\n";
    std::ofstream(m_folder / "Data1" / "ATTRIBUTION", std::ios::binary) << "Places: GeoNames, CC BY 4.0.\r\n";
    std::string shown;
    m_face.set_about_handler([&](const std::string& text) { shown = text; });

    call(ids::ABOUT_BOX);
    EXPECT_NE(shown.find("No data folder in use carries credits"), std::string::npos) << shown;

    put(ids::STATES_FOLDER, (m_folder / "States").string());
    put(ids::SUPPLEMENTARY_STATES_FOLDER, (m_folder / "States" / ".." / "States").string());
    put(ids::DATA_FOLDER_1, (m_folder / "Data1").string());
    call(ids::ABOUT_BOX);
    EXPECT_EQ(shown.rfind("TolmServer7 map engine, version 7.00.0007\r\n", 0), 0u) << shown;
    const auto boundaries = shown.find("Boundaries: public domain.");
    ASSERT_NE(boundaries, std::string::npos) << shown;
    EXPECT_EQ(shown.find("Boundaries: public domain.", boundaries + 1), std::string::npos) << "shown once";
    EXPECT_NE(shown.find("\r\n\r\nPlaces: GeoNames, CC BY 4.0."), std::string::npos) << shown;
    EXPECT_EQ(shown.find("No data folder"), std::string::npos);
}

}  // namespace
}  // namespace tolm::engine
