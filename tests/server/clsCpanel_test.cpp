#include "server/clsCpanel.h"

#include "server_fixture_support.h"
#include "support/scratch.h"

#include "common/clsIni.h"
#include "common/path_text.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolm::server::test {
namespace {

const std::string k_closing =
    "TolmServer7 will not work properly until you configure the data directories. You will be prompted again the "
    "next time the server starts, or you can manually configure the directories using the Map, Control Panel menu "
    "option.";
const std::string k_request = " In the next dialogue, please browse to your Kartovex V7 program folder, then click 'Ok'.";
const std::string k_startup_request = "You need to tell TolmServer7 the location of your Kartovex V7 data files. " + k_request;

struct Loaded {
    std::string d1 = "in1", d2 = "in2", d3 = "in3", s0 = "in4", s1 = "in5";
    bool mono = true, mcd = false, counties = false, places = false, states = false, white = true, oneway = true;
    std::string overlay = "x", underlay = "y";
};

class SettingsTest : public ServerTest {
protected:
    Loaded load(bool start_again = false) {
        Loaded v;
        clsCpanel panel;
        panel.LoadIni(v.d1, v.d2, v.d3, v.s0, v.s1, v.mono, v.mcd, v.counties, v.places, v.states, v.white, v.oneway,
                      v.overlay, v.underlay, start_again);
        return v;
    }
    std::string path_key(const char* key) { return clsIni().GetIniString("PATHS", key, "<missing>").to_string(); }
    // A product folder whose MAP.INI holds these lines in its "Application Interface" section.
    std::string product(const std::string& lines) {
        tolm::test::write_bytes(m_product.file("MAP.INI"), "[Application Interface]\r\n" + lines);
        return m_product.path().string();
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& box : m_desktop.message_boxes()) texts.push_back(box.text);
        return texts;
    }
    tolm::test::ScratchFolder m_product{"product"};
};

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndAsksForTheProductFolder) {
    m_desktop.answer_message_box(1);
    m_desktop.cancel_folder();
    m_desktop.answer_message_box(1);
    const Loaded v = load();
    EXPECT_FALSE(v.mono);
    EXPECT_TRUE(v.mcd && v.counties && v.places && v.states);
    EXPECT_FALSE(v.white);
    EXPECT_FALSE(v.oneway);
    EXPECT_EQ(v.overlay, "");
    EXPECT_EQ(v.underlay, "");
    EXPECT_EQ(v.d1, "") << "the file's empty DATA1 came back before discovery";
    EXPECT_EQ(messages(), (std::vector<std::string>{k_startup_request, k_closing}));
    ASSERT_EQ(m_desktop.folder_dialogs().size(), 1u);
    EXPECT_EQ(m_desktop.folder_dialogs()[0].title, "Browse to the Kartovex V7 program folder");
    for (const auto& box : m_desktop.message_boxes())
        EXPECT_EQ(box.style, platform::message_box_style::information | platform::message_box_style::ok_only);
    EXPECT_FALSE(std::filesystem::exists(settings_file())) << "loading writes nothing";
}

TEST_F(SettingsTest, BooleansReadAsTheRuntimeConvertsThem) {
    for (const char* text : {"TRUE", "true", "1", "-1"}) {
        write_settings(std::string(k_complete_settings) + "[SETUP]\r\nSHADE_STATE=" + text + "\r\n");
        EXPECT_TRUE(load().states) << text;
    }
    write_settings(std::string(k_complete_settings) + "[SETUP]\r\nSHADE_STATE=0\r\n");
    EXPECT_FALSE(load().states);
    for (const char* text : {"", "yes"}) {
        write_settings(std::string(k_complete_settings) + "[SETUP]\r\nSHADE_STATE=" + text + "\r\n");
        try {
            load();
            ADD_FAILURE() << "no error for \"" << text << "\"";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), runtime_errors::type_mismatch);
        }
    }
}

TEST_F(SettingsTest, MissingSupplementaryStatesFollowsStatesInMemoryOnly) {
    write_settings(k_complete_settings);
    const std::string before = tolm::test::read_bytes(settings_file());
    const Loaded v = load();
    EXPECT_EQ(v.d1, "/d/Data1");
    EXPECT_EQ(v.s0, "/d/States");
    EXPECT_EQ(v.s1, "/d/States");
    EXPECT_EQ(tolm::test::read_bytes(settings_file()), before);
    EXPECT_TRUE(m_desktop.message_boxes().empty());
}

TEST_F(SettingsTest, AnEmptyStoredPathStartsDiscovery) {
    write_settings("[PATHS]\r\nDATA1=/d/Data1\r\nDATA2=\"\"\r\nDATA3=/d/Data3\r\nSTATES0=/d/States\r\n");
    m_desktop.answer_message_box(1);
    m_desktop.cancel_folder();
    m_desktop.answer_message_box(1);
    const Loaded v = load();
    EXPECT_EQ(v.d1, "/d/Data1");
    EXPECT_EQ(v.d2, "");
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(SettingsTest, DiscoveryReadsMapIniAndWritesTheFivePaths) {
    const std::string other = m_product.file("Elsewhere");
    const std::string folder = product("Data1Path=" + m_product.file("MapData/Data1") + "/\r\nData2Path=" +
                                       m_product.file("MapData/Data2") + "\r\nData3Path=" + m_product.file("MapData/Data3") +
                                       "\r\nStatesPath=" + other + "/States\r\n");
    m_desktop.answer_message_box(1);
    m_desktop.answer_folder(folder);
    m_desktop.answer_message_box(1);
    const Loaded v = load();
    EXPECT_EQ(v.d1, m_product.file("MapData/Data1")) << "one trailing separator goes";
    EXPECT_EQ(v.s0, other + "/States");
    // The parents differ; the upper-case sibling "States" of the data folder does not exist here.
    EXPECT_EQ(v.s1, other + "/States");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1],
              "The map data paths have been successfully configured. If you need to change the map data paths in the "
              "future, please use the Map, 'Control Panel' menu option. Also, please note that TolmServer7 has a help "
              "file, which can be accessed both from the Control and from the Map, 'TolmServer6 Help' menu option.");
    EXPECT_EQ(path_key("DATA1"), v.d1);
    EXPECT_EQ(path_key("DATA3"), v.d3);
    EXPECT_EQ(path_key("STATES1"), v.s1);

    // A second start finds the four paths and asks nothing.
    const Loaded again = load();
    EXPECT_EQ(again.d2, v.d2);
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(SettingsTest, IncompleteMapIniIsReportedAndStoredAsItIs) {
    const std::string folder = product("Data1Path=/m/Data1\r\nData2Path=/m/Data2\r\nStatesPath=/m/States\r\n");
    write_settings("[PATHS]\r\nSTATES1=/old/S1\r\n");
    m_desktop.answer_message_box(1);
    m_desktop.answer_folder(folder);
    m_desktop.answer_message_box(1);
    const Loaded v = load();
    EXPECT_EQ(messages()[1], "MAP.INI does not contain all the required data directory information. " + k_closing);
    EXPECT_EQ(v.d3, "");
    EXPECT_EQ(v.s1, "/old/S1") << "STATES1 keeps the value it came in with";
    EXPECT_EQ(path_key("DATA3"), "");
    EXPECT_EQ(path_key("STATES0"), "/m/States");
}

TEST_F(SettingsTest, AFolderWithoutMapIniChangesNothing) {
    tolm::test::ScratchFolder empty("no-map-ini");
    m_desktop.answer_message_box(1);
    m_desktop.answer_folder(empty.path().string());
    m_desktop.answer_message_box(1);
    const Loaded v = load();
    EXPECT_EQ(messages()[1], "The directory you selected does not contain MAP.INI. " + k_closing);
    EXPECT_EQ(v.d1, "");
    EXPECT_FALSE(std::filesystem::exists(settings_file()));
}

TEST_F(SettingsTest, EasySetupSkipsTheStoredPathsAndAsksBriefly) {
    write_settings(k_complete_settings);
    const std::string folder = product("Data1Path=/m/A/Data1\r\nData2Path=/m/A/Data2\r\nData3Path=/m/A/Data3\r\n"
                                       "StatesPath=/m/A/States\r\n");
    m_desktop.answer_message_box(1);
    m_desktop.answer_folder(folder);
    m_desktop.answer_message_box(1);
    const Loaded v = load(true);
    EXPECT_EQ(messages()[0], k_request);
    EXPECT_EQ(messages()[1], "The map data paths have been successfully configured.");
    EXPECT_EQ(v.s1, "/m/A/States") << "same parent: the supplementary states are the states";
    EXPECT_EQ(path_key("DATA1"), "/m/A/Data1");
}

TEST_F(SettingsTest, TheProgramFilesGuessOpensTheDialogThere) {
    tolm::test::ScratchFolder program_files("program-files");
    const auto product_folder = program_files.path() / "Kartovex Roadbook 7.0";
    std::filesystem::create_directories(product_folder);
    tolm::test::write_bytes((product_folder / "MAP.INI").string(), "[Application Interface]\r\n");
    namespace reg = platform::registry;
    ASSERT_TRUE(reg::write_string(reg::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                  "ProgramFilesDir", program_files.path().string()));
    m_desktop.answer_message_box(1);
    m_desktop.cancel_folder();
    m_desktop.answer_message_box(1);
    load();
    reg::delete_tree(reg::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
    ASSERT_EQ(m_desktop.folder_dialogs().size(), 1u);
    EXPECT_EQ(m_desktop.folder_dialogs()[0].initial_selection, product_folder.string());
}

TEST(DataPathText, ParentFolderAndTrailingSeparator) {
    EXPECT_EQ(GetParentFolder("D:\\Maps\\Data1"), "D:\\Maps");
    EXPECT_EQ(GetParentFolder("D:\\Data1"), "D:\\");
    EXPECT_EQ(GetParentFolder("D:Data1"), "");
    EXPECT_EQ(GetParentFolder("\\Data1"), "");
    EXPECT_EQ(GetParentFolder("/srv/maps/Data1"), "/srv/maps");
    std::string path = "C:\\";
    StripTrailingBackslash(path);
    EXPECT_EQ(path, "C:\\");
    path = "D:\\Maps\\";
    StripTrailingBackslash(path);
    EXPECT_EQ(path, "D:\\Maps");
    path = "/srv/maps//";
    StripTrailingBackslash(path);
    EXPECT_EQ(path, "/srv/maps/") << "only one goes";
}

}  // namespace
}  // namespace tolm::server::test
