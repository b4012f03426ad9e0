#include "server/clsCpanel.h"

#include "server_fixture_support.h"
#include "support/scratch.h"

#include "server/forms/frmAbout.h"
#include "server/forms/frmCpanel.h"
#include "server/forms/frmOverlay.h"
#include "server/host_folders.h"

#include "common/clsIni.h"
#include "common/path_text.h"
#include "engine/engine_ids.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"
#include "platform/window_system.h"
#include "ui/forms/keys.h"

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

// ---- The panel, opened through the server as the client opens it ------------------------------

class PanelTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        write_settings(k_complete_settings);
        initialize();
    }
    // Opens the panel; the script acts on it and must close it.
    void with_panel(std::function<void(frmCpanel&)> script) {
        m_desktop.answer_modal("frmCpanel", [script](forms::Form& form) {
            auto& panel = dynamic_cast<frmCpanel&>(form);
            script(panel);
            if (panel.visible()) panel.mnuExit.click();
        });
        m_server->ShowControlPanel();
        EXPECT_TRUE(m_desktop.all_answers_used());
        EXPECT_TRUE(m_desktop.problems().empty()) << m_desktop.problems().front();
    }
    std::string setup_key(const char* key) { return clsIni().GetIniString("SETUP", key, "<missing>").to_string(); }
    std::string path_key(const char* key) { return clsIni().GetIniString("PATHS", key, "<missing>").to_string(); }
    std::string settings_text() { return tolm::test::read_bytes(settings_file()); }
    static std::vector<bool> check_marks(const frmCpanel& p) {
        return {p.mnuMonochromeMaps.checked(), p.mnuWhiteBackground.checked(), p.mnuShowOneway.checked(),
                p.mnuShadeMCD.checked(),       p.mnuShadePlaces.checked(),     p.mnuShadeCounties.checked(),
                p.mnuShadeStates.checked()};
    }
};

TEST_F(PanelTest, DefaultSettingsShowTheirCheckMarksAndClosingSavesWhiteBackground) {
    with_panel([&](frmCpanel& panel) {
        EXPECT_EQ(check_marks(panel), (std::vector<bool>{false, false, false, true, true, true, true}));
        EXPECT_TRUE(panel.mnuOptions.enabled());
        EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "<missing>") << "nothing is saved while the panel opens";
        panel.close_from_window_menu();
    });
    EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "False") << "closed from the window menu, still saved";
    EXPECT_FALSE(m_server->blnWhiteBackground());
}

TEST_F(PanelTest, ShadeCountiesIsAppliedAndSavedAtOnceAndOnlyItsKey) {
    const std::string before = settings_text();
    with_panel([&](frmCpanel& panel) {
        ASSERT_TRUE(panel.mnuShadeCounties.click());
        EXPECT_FALSE(panel.mnuShadeCounties.checked());
        EXPECT_FALSE(m_server->blnShadeCounties());
        EXPECT_EQ(m_engine->properties[engine::ids::SHADE_COUNTIES].to_bool(), false);
        EXPECT_EQ(settings_text(), before + "[SETUP]\r\nSHADE_COUNTY=False\r\n") << "before the panel closes";
    });
    EXPECT_EQ(setup_key("SHADE_COUNTY"), "False");
    EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "False");
}

TEST_F(PanelTest, EachCheckItemReachesItsServerPropertyAndKey) {
    with_panel([&](frmCpanel& panel) {
        panel.mnuMonochromeMaps.click();
        panel.mnuShowOneway.click();
        panel.mnuShadeMCD.click();
        panel.mnuShadePlaces.click();
        panel.mnuShadeStates.click();
    });
    EXPECT_TRUE(m_server->blnMono());
    EXPECT_TRUE(m_server->blnOnewayShow());
    EXPECT_FALSE(m_server->blnShadeMcd());
    EXPECT_FALSE(m_server->blnShadePlaces());
    EXPECT_FALSE(m_server->blnShadeStates());
    EXPECT_EQ(setup_key("MONOCHROME"), "True");
    EXPECT_EQ(setup_key("ONEWAY_SHOW"), "True");
    EXPECT_EQ(setup_key("SHADE_MCD"), "False");
    EXPECT_EQ(setup_key("SHADE_PLACE"), "False");
    EXPECT_EQ(setup_key("SHADE_STATE"), "False");
    EXPECT_EQ(setup_key("SHADE_COUNTY"), "<missing>");
}

TEST_F(PanelTest, WhiteBackgroundTakesEffectOnlyWhenThePanelCloses) {
    const auto background = m_engine->properties[engine::ids::BACKGROUND_COLOUR].to_int32();
    with_panel([&](frmCpanel& panel) {
        panel.mnuWhiteBackground.click();
        panel.mnuWhiteBackground.click();
        EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "<missing>");
    });
    EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "False") << "toggled twice, still written";
    EXPECT_EQ(m_engine->properties[engine::ids::BACKGROUND_COLOUR].to_int32(), background);

    with_panel([&](frmCpanel& panel) {
        panel.mnuWhiteBackground.click();
        EXPECT_FALSE(m_server->blnWhiteBackground());
        panel.close_from_window_menu();
    });
    EXPECT_TRUE(m_server->blnWhiteBackground());
    EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "True");
    EXPECT_EQ(m_engine->properties[engine::ids::BACKGROUND_COLOUR].to_int32(), 0xFFFFFF);
}

TEST_F(PanelTest, WhiteBackgroundIsKeptWhenAnErrorEndsThePanel) {
    m_desktop.answer_modal("frmCpanel", [](forms::Form& form) {
        auto& panel = dynamic_cast<frmCpanel&>(form);
        panel.mnuWhiteBackground.click();
        throw RuntimeError(5, "test", "the panel fails");
    });
    EXPECT_THROW(m_server->ShowControlPanel(), RuntimeError);
    EXPECT_TRUE(m_server->blnWhiteBackground());
    EXPECT_EQ(setup_key("WHITE_BACKGROUND"), "True");
    // The panel and its controller are gone: it opens again.
    with_panel([](frmCpanel&) {});
}

TEST_F(PanelTest, DataItemsBrowseWithTheirTitlesAndSaveTheChosenFolder) {
    tolm::test::ScratchFolder chosen("chosen-states");
    m_desktop.answer_folder(chosen.path().string());
    m_desktop.cancel_folder();
    with_panel([&](frmCpanel& panel) {
        const auto marks = check_marks(panel);
        ASSERT_TRUE(panel.mnuStatesSupp.click());
        EXPECT_EQ(m_server->strStates1(), chosen.path().string());
        EXPECT_EQ(path_key("STATES1"), chosen.path().string());
        ASSERT_TRUE(panel.mnuData2.click());  // cancelled
        EXPECT_EQ(m_server->strData2(), "/d/Data2");
        EXPECT_EQ(path_key("DATA2"), "/d/Data2");
        EXPECT_EQ(check_marks(panel), marks) << "the data items change no check mark";
    });
    ASSERT_EQ(m_desktop.folder_dialogs().size(), 2u);
    EXPECT_EQ(m_desktop.folder_dialogs()[0].title, "Browse to the Kartovex V7 States (Supplementary) folder");
    EXPECT_EQ(m_desktop.folder_dialogs()[1].title, "Browse to the Kartovex V7 Data2 folder");
    EXPECT_FALSE(m_desktop.folder_dialogs()[1].initial_selection) << "/d/Data2 does not exist";
}

TEST_F(PanelTest, EveryDataItemHasItsLabelKeyAndProperty) {
    struct Item {
        forms::Menu frmCpanel::*menu;
        const char* title;
        const char* key;
        std::string (clsMapServ::*get)();
    };
    const Item items[] = {
        {&frmCpanel::mnuData1, "Browse to the Kartovex V7 Data1 folder", "DATA1", &clsMapServ::strData1},
        {&frmCpanel::mnuData3, "Browse to the Kartovex V7 Data3 folder", "DATA3", &clsMapServ::strData3},
        {&frmCpanel::mnuStates, "Browse to the Kartovex V7 States folder", "STATES0", &clsMapServ::strStates0},
    };
    tolm::test::ScratchFolder current("current-folder");
    m_server->strData1(current.path().string());
    for (const Item& item : items) m_desktop.answer_folder(current.file(item.key));
    with_panel([&](frmCpanel& panel) {
        for (const Item& item : items) ASSERT_TRUE((panel.*item.menu).click());
    });
    ASSERT_EQ(m_desktop.folder_dialogs().size(), 3u);
    EXPECT_EQ(m_desktop.folder_dialogs()[0].initial_selection, current.path().string()) << "starts at the folder";
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m_desktop.folder_dialogs()[i].title, items[i].title);
        EXPECT_EQ((m_server.get()->*items[i].get)(), current.file(items[i].key));
        EXPECT_EQ(path_key(items[i].key), current.file(items[i].key));
    }
}

TEST_F(PanelTest, CancelledEasySetupKeepsTheServersPathsAndTheFile) {
    m_server->strStates1("/d/Supplement");
    const std::string before = settings_text();
    m_desktop.answer_message_box(1);
    m_desktop.cancel_folder();
    m_desktop.answer_message_box(1);
    with_panel([&](frmCpanel& panel) {
        ASSERT_TRUE(panel.mnuEasySetup.click());
        EXPECT_EQ(settings_text(), before);
    });
    EXPECT_EQ(m_desktop.message_boxes()[0].text, k_request);
    EXPECT_EQ(m_desktop.message_boxes()[1].text, k_closing);
    EXPECT_EQ(m_server->strData1(), "/d/Data1");
    EXPECT_EQ(m_server->strData2(), "/d/Data2");
    EXPECT_EQ(m_server->strData3(), "/d/Data3");
    EXPECT_EQ(m_server->strStates0(), "/d/States");
    EXPECT_EQ(m_server->strStates1(), "/d/Supplement");
}

TEST_F(PanelTest, EasySetupInAFolderWithoutMapIniKeepsThePaths) {
    tolm::test::ScratchFolder empty("no-map-ini");
    m_desktop.answer_message_box(1);
    m_desktop.answer_folder(empty.path().string());
    m_desktop.answer_message_box(1);
    with_panel([&](frmCpanel& panel) { panel.mnuEasySetup.click(); });
    EXPECT_EQ(m_desktop.message_boxes()[1].text, "The directory you selected does not contain MAP.INI. " + k_closing);
    EXPECT_EQ(m_server->strData1(), "/d/Data1");
    EXPECT_EQ(path_key("DATA1"), "/d/Data1");
}

TEST_F(PanelTest, EasySetupAppliesWhatItFoundAndTheSettingsFile) {
    tolm::test::ScratchFolder product_folder("easy-product");
    tolm::test::write_bytes(product_folder.file("MAP.INI"),
                            "[Application Interface]\r\nData1Path=/m/Data1\r\nData2Path=/m/Data2\r\n"
                            "Data3Path=/m/Data3\r\nStatesPath=/m/States\\\r\n");
    write_settings(std::string(k_complete_settings) + "[SETUP]\r\nMONOCHROME=True\r\n");
    m_desktop.answer_message_box(1);
    m_desktop.answer_folder(product_folder.path().string());
    m_desktop.answer_message_box(1);
    with_panel([&](frmCpanel& panel) {
        panel.mnuEasySetup.click();
        EXPECT_FALSE(panel.mnuMonochromeMaps.checked()) << "Easy Setup leaves the check marks as they were";
    });
    EXPECT_EQ(m_server->strData1(), "/m/Data1");
    EXPECT_EQ(m_server->strStates0(), "/m/States");
    EXPECT_EQ(m_server->strStates1(), "/m/States");
    EXPECT_TRUE(m_server->blnMono()) << "the settings file was read again";
}

TEST_F(PanelTest, ACancelledOverlayChooserStillSetsAndSavesWhatItReturned) {
    tolm::test::write_bytes(strOverlaysFolder + "Roads.OVR", "x");
    m_server->strOvlFile(strOverlaysFolder + "Roads.OVR");
    m_desktop.answer_modal("frmOverlay", [](forms::Form& form) {
        auto& chooser = dynamic_cast<frmOverlay&>(form);
        EXPECT_EQ(chooser.lstOvl.list_count(), 1);
        chooser.cmdCancel.click();
    });
    with_panel([&](frmCpanel& panel) {
        ASSERT_TRUE(panel.mnuOverlays.click());
        EXPECT_EQ(panel.strOvlFile(), "");
    });
    EXPECT_EQ(m_server->strOvlFile(), "") << "a cancelled chooser returns no file, which is applied";
    EXPECT_EQ(setup_key("OVERLAY"), "");
    std::filesystem::remove(strOverlaysFolder + "Roads.OVR");
}

TEST_F(PanelTest, TheUnderlayChooserPreselectsAndSavesTheChoice) {
    const std::string bitmap = strUnderlaysFolder + "Town.BMP";
    tolm::test::write_bytes(bitmap, "x");
    tolm::test::write_bytes(strUnderlaysFolder + "Town.SAT", "-1,2,3,1\r\n");
    m_server->strUnderFile(bitmap);
    m_desktop.answer_modal("frmOverlay", [](forms::Form& form) {
        auto& chooser = dynamic_cast<frmOverlay&>(form);
        EXPECT_TRUE(chooser.lstOvl.checked(0)) << "the current underlay is checked";
        chooser.cmdOk.click();
    });
    with_panel([&](frmCpanel& panel) { ASSERT_TRUE(panel.mnuUnderlayLoad.click()); });
    EXPECT_EQ(m_server->strUnderFile(), bitmap);
    EXPECT_EQ(setup_key("UNDERLAY"), bitmap);
    EXPECT_EQ(setup_key("OVERLAY"), "<missing>");
    std::filesystem::remove(bitmap);
    std::filesystem::remove(strUnderlaysFolder + "Town.SAT");
}

TEST_F(PanelTest, TheAboutBoxAsksTheEngineForItsOwn) {
    m_desktop.answer_modal("frmAbout", [&](forms::Form& form) {
        auto& about = dynamic_cast<frmAbout&>(form);
        EXPECT_TRUE(about.cmdCartix.enabled()) << "the Options menu is enabled";
        EXPECT_TRUE(about.cmdCartix.click());
        about.press_key(forms::key::escape);
        EXPECT_FALSE(about.loaded()) << "Escape closes the box as Ok does";
    });
    with_panel([&](frmCpanel& panel) { ASSERT_TRUE(panel.mnuAbout.click()); });
    EXPECT_EQ(m_engine->count(engine::ids::ABOUT_BOX), 1u);
    ASSERT_EQ(m_desktop.modal_forms().size(), 2u);
    EXPECT_EQ(m_desktop.modal_forms()[1].caption, "About TolmServer7");
    EXPECT_EQ(m_desktop.modal_forms()[1].depth, 2);
}

TEST_F(PanelTest, HelpOpensAtTheTopicAndClosesWithThePanel) {
    platform::WindowHandle panel_window = 0;
    with_panel([&](frmCpanel& panel) {
        panel_window = panel.hwnd();
        ASSERT_TRUE(panel.mnuHelp.click());
        EXPECT_TRUE(m_desktop.help_window_open());
    });
    EXPECT_FALSE(m_desktop.help_window_open());
    const auto& calls = m_desktop.help_calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].command, platform::HELP_CONTEXT);
    EXPECT_EQ(calls[0].data, 30u);
    EXPECT_EQ(calls[0].owner, panel_window);
    EXPECT_EQ(calls[1].command, platform::HELP_QUIT);
    EXPECT_EQ(calls[0].help_file, calls[1].help_file);
}

TEST_F(ServerTest, TheControlPanelBeforeInitializeFailsWithoutShowingAnything) {
    try {
        m_server->ShowControlPanel();
        ADD_FAILURE() << "the panel opened without an engine";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::object_variable_not_set);
    }
    EXPECT_TRUE(m_desktop.modal_forms().empty());
    EXPECT_FALSE(std::filesystem::exists(settings_file()));
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
