#include "init/initialiser.h"

#include "support/scratch.h"

#include "common/clsIni.h"
#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"
#include "platform/saved_settings.h"
#include "platform/window_system.h"
#include "ui/current_window_system.h"
#include "ui/headless/headless_window_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

namespace tolm::init {
namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using tolm::test::read_bytes;
using tolm::test::ScratchFolder;
using tolm::test::write_bytes;

constexpr const char* k_old_class_id = "{5E0A7C41-2B8D-4C6E-9F13-A7D2E4B60C19}";
constexpr const char* k_entry_bytes = "122.25.50W,47.36.27N\r\n122.00.00W,47.30.00N\r\nKartovex V7 Server\r\n";

class InitialiserTest : public ::testing::Test {
protected:
    void SetUp() override {
        tolm::test::use_scratch_registry_store();
        m_use_desktop = std::make_unique<platform::ScopedWindowSystem>(m_desktop);
        fs::create_directories(m_client.path() / "Maps");
        unregister_old_server();
        forget_host();
    }

    void TearDown() override {
        platform::detail::fail_replacements_for_testing(false);
        m_use_desktop.reset();
        unregister_old_server();
        forget_host();
    }

    // The client saves its folder with a trailing separator.
    void remember_host(const fs::path& folder) {
        std::string text = folder.string();
        text += fs::path::preferred_separator == '\\' ? '\\' : '/';
        platform::save_setting("Orvensa", "Wendal32", "Program Folder", text);
    }
    void forget_host() {
        try {
            platform::delete_setting("Orvensa", "Wendal32", "Program Folder");
        } catch (const RuntimeError&) {
        }
    }

    void register_old_server(const std::string& library) {
        ASSERT_TRUE(reg::write_string(reg::HKEY_CLASSES_ROOT, std::string(k_previous_prog_id) + "\\CLSID", "", k_old_class_id));
        ASSERT_TRUE(reg::write_string(reg::HKEY_CLASSES_ROOT, std::string("CLSID\\") + k_old_class_id + "\\InprocServer32",
                                      "", library));
    }
    void register_old_server() { register_old_server((m_old.path() / "TolmServer6.dll").string()); }
    void unregister_old_server() {
        reg::delete_tree(reg::HKEY_CLASSES_ROOT, k_previous_prog_id);
        reg::delete_tree(reg::HKEY_CLASSES_ROOT, std::string("CLSID\\") + k_old_class_id);
    }

    void ship_entry_file() { write_bytes(program_file("!!TolmServer7.INF"), k_entry_bytes); }
    void write_old_settings(const std::string& text) { write_bytes(m_old.file("tolmserver6.ini"), text); }

    std::string program_file(const std::string& name) const { return m_program.file(name); }
    std::string entry_target() const { return (m_client.path() / "Maps" / "!!TolmServer7.INF").string(); }
    std::string new_setting(const std::string& key) {
        clsIni ini;
        return ini.GetIniString("SETUP", key, "<missing>", program_file("TolmServer7.INI")).to_string();
    }

    void run() { run_initialiser(m_program.path().string()); }

    // The one message box of a run, checked for the program's title, icon and button.
    std::string only_message() const {
        const auto& boxes = m_desktop.message_boxes();
        if (boxes.size() != 1) {
            std::string count = "message boxes: ";
            count += std::to_string(boxes.size());
            return count;
        }
        EXPECT_EQ(boxes[0].title, "Initialise TolmServer7");
        EXPECT_EQ(boxes[0].icon(), platform::message_box_style::information);
        EXPECT_EQ(boxes[0].buttons(), platform::message_box_style::ok_only);
        return boxes[0].text;
    }

    static std::string done_with_notice() { return std::string(k_done_text) + "\r\n\r\n" + k_old_server_text; }

    platform::headless::HeadlessWindowSystem m_desktop{platform::headless::UnansweredPolicy::default_answer};
    std::unique_ptr<platform::ScopedWindowSystem> m_use_desktop;
    ScratchFolder m_program{"init-program"};
    ScratchFolder m_client{"init-client"};
    ScratchFolder m_old{"init-old"};
};

// ---- The six cases of a run -------------------------------------------------------------------

TEST_F(InitialiserTest, ClientNeverRunShowsOnlyThatAndTouchesNothing) {
    ship_entry_file();
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_STATE=FALSE\r\n");
    run();
    EXPECT_EQ(only_message(), k_never_run_text);
    EXPECT_FALSE(fs::exists(entry_target()));
    EXPECT_FALSE(fs::exists(program_file("TolmServer7.INI")));
}

TEST_F(InitialiserTest, MissingEntryFileShowsOnlyThatAndMigratesNothing) {
    remember_host(m_client.path());
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_STATE=FALSE\r\n");
    write_bytes(m_old.file("TolmServer6.FAV"), "old favourites");
    run();
    EXPECT_EQ(only_message(), k_missing_entry_text);
    EXPECT_FALSE(fs::exists(entry_target()));
    EXPECT_FALSE(fs::exists(program_file("TolmServer7.INI")));
    EXPECT_FALSE(fs::exists(program_file("TolmServer7.FAV")));
}

TEST_F(InitialiserTest, OldServerWithoutSettingsFileCopiesTheEntryFileOnly) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    write_bytes(m_old.file("TolmServer6.FAV"), "old favourites");
    run();
    EXPECT_EQ(only_message(), k_done_text);
    EXPECT_EQ(read_bytes(entry_target()), k_entry_bytes);
    EXPECT_FALSE(fs::exists(program_file("TolmServer7.FAV")));
    EXPECT_FALSE(fs::exists(program_file("TolmServer7.INI")));
}

TEST_F(InitialiserTest, MigrationFillsMissingKeysWithTheirDefaultsAndCopiesFavourites) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_STATE=FALSE\r\n");
    const std::string favourites = "View 1\r\n-122.5,47.7,-122.1,47.4\r\n\xE9t\xE9\r\n";
    write_bytes(m_old.file("TolmServer6.FAV"), favourites);
    run();
    EXPECT_EQ(only_message(), done_with_notice());
    EXPECT_EQ(new_setting("SHADE_MCD"), "True");
    EXPECT_EQ(new_setting("SHADE_PLACE"), "True");
    EXPECT_EQ(new_setting("SHADE_COUNTY"), "True");
    EXPECT_EQ(new_setting("SHADE_STATE"), "FALSE");
    EXPECT_EQ(new_setting("WHITE_BACKGROUND"), "False");
    EXPECT_EQ(read_bytes(program_file("TolmServer7.FAV")), favourites);
}

TEST_F(InitialiserTest, ExistingSettingsFileStopsTheMigration) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_STATE=FALSE\r\n");
    write_bytes(m_old.file("TolmServer6.FAV"), "old favourites");
    const std::string own = "[SETUP]\r\nSHADE_STATE=True\r\nMONOCHROME=True\r\n";
    write_bytes(program_file("TolmServer7.INI"), own);
    write_bytes(program_file("TolmServer7.FAV"), "new favourites");
    run();
    EXPECT_EQ(only_message(), k_done_text);
    EXPECT_EQ(read_bytes(program_file("TolmServer7.INI")), own);
    EXPECT_EQ(read_bytes(program_file("TolmServer7.FAV")), "new favourites");
    EXPECT_EQ(read_bytes(entry_target()), k_entry_bytes);
}

TEST_F(InitialiserTest, SecondRunCopiesTheEntryFileAgainWithoutTheNotice) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_MCD=False\r\n");
    run();
    EXPECT_EQ(only_message(), done_with_notice());
    // The server rewrote the entry file since; the next run puts the shipped one back.
    write_bytes(entry_target(), "0.00.00E,0.00.00N\r\n");
    run();
    ASSERT_EQ(m_desktop.message_boxes().size(), 2u);
    EXPECT_EQ(m_desktop.message_boxes()[1].text, k_done_text);
    EXPECT_EQ(read_bytes(entry_target()), k_entry_bytes);
    EXPECT_EQ(new_setting("SHADE_MCD"), "False");
}

// ---- Bad input: the run ends as it should, and nothing of the user's is lost -------------------

TEST_F(InitialiserTest, SettingThatNamesAMissingFolderEndsSilently) {
    ship_entry_file();
    remember_host(m_client.path() / "gone");
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_STATE=FALSE\r\n");
    run();
    EXPECT_TRUE(m_desktop.message_boxes().empty());
    EXPECT_FALSE(fs::exists(m_client.path() / "gone"));
    EXPECT_FALSE(fs::exists(program_file("TolmServer7.INI")));  // the copy failed before the migration
}

TEST_F(InitialiserTest, RefusedCopyEndsSilentlyAndKeepsTheOldEntryFile) {
    ship_entry_file();
    remember_host(m_client.path());
    write_bytes(entry_target(), "the server's last map\r\n");
    platform::detail::fail_replacements_for_testing(true);
    run();
    platform::detail::fail_replacements_for_testing(false);
    EXPECT_TRUE(m_desktop.message_boxes().empty());
    EXPECT_EQ(read_bytes(entry_target()), "the server's last map\r\n");
    for (const auto& item : fs::directory_iterator(m_client.path() / "Maps"))
        EXPECT_EQ(item.path().filename().string(), "!!TolmServer7.INF") << "a stray file was left behind";
}

TEST_F(InitialiserTest, ReadOnlyMapsFolderEndsSilentlyAndKeepsTheOldEntryFile) {
    ship_entry_file();
    remember_host(m_client.path());
    write_bytes(entry_target(), "the server's last map\r\n");
    const fs::path maps = m_client.path() / "Maps";
    fs::permissions(maps, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    // An administrator writes through the permissions; there is nothing to refuse then.
    const bool refused = !std::ofstream((maps / "probe").string());
    run();
    fs::permissions(maps, fs::perms::owner_all, fs::perm_options::add);
    if (!refused) GTEST_SKIP() << "the folder's permissions do not bind this user";
    EXPECT_TRUE(m_desktop.message_boxes().empty());
    EXPECT_EQ(read_bytes(entry_target()), "the server's last map\r\n");
}

TEST_F(InitialiserTest, OldSettingsFileWithBinaryBytesMigratesWithoutHarm) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    std::string text = "\xFF\xFE[SETUP]\r\nSHADE_STATE=FALSE\r\n";
    text += std::string("JUNK=\0\x01\x02\xFF\x80", 7) + "\r\n";
    text += std::string(2000, '\0') + "\r\n[SETUP]\r\nSHADE_MCD=\x81\x9D\r\nWHITE_BACKGROUND=True\r\n";
    write_old_settings(text);
    run();
    EXPECT_EQ(only_message(), done_with_notice());
    for (const char* key : {"SHADE_MCD", "SHADE_PLACE", "SHADE_COUNTY", "SHADE_STATE", "WHITE_BACKGROUND"})
        EXPECT_NE(new_setting(key), "<missing>") << key;
    EXPECT_EQ(read_bytes(m_old.file("tolmserver6.ini")), text) << "the old file is only read";
}

TEST_F(InitialiserTest, OldSettingsFileWithTenThousandKeysMigratesTheFive) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    std::string text = "[SETUP]\r\n";
    for (int i = 0; i < 10000; ++i) text += "KEY" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    text += "SHADE_COUNTY=False\r\nWHITE_BACKGROUND=True\r\n";
    write_old_settings(text);
    run();
    EXPECT_EQ(only_message(), done_with_notice());
    EXPECT_EQ(new_setting("SHADE_COUNTY"), "False");
    EXPECT_EQ(new_setting("WHITE_BACKGROUND"), "True");
    EXPECT_EQ(new_setting("SHADE_MCD"), "True");
}

TEST_F(InitialiserTest, FavouritesThatCannotBeReplacedEndTheMigrationWithoutTheNotice) {
    ship_entry_file();
    remember_host(m_client.path());
    register_old_server();
    write_old_settings("[SETUP]\r\nSHADE_STATE=FALSE\r\n");
    write_bytes(m_old.file("TolmServer6.FAV"), "old favourites");
    // Something of that name that the copy cannot replace: a folder holding the user's files.
    fs::create_directories(program_file("TolmServer7.FAV"));
    write_bytes((fs::path(program_file("TolmServer7.FAV")) / "keep").string(), "mine");
    run();
    EXPECT_EQ(only_message(), k_done_text);
    EXPECT_EQ(read_bytes((fs::path(program_file("TolmServer7.FAV")) / "keep").string()), "mine");
    EXPECT_EQ(new_setting("SHADE_STATE"), "FALSE") << "what was written before the failure stays";
    EXPECT_EQ(read_bytes(entry_target()), k_entry_bytes);
}

// ---- Finding a registered server's folder ------------------------------------------------------

TEST_F(InitialiserTest, RegisteredFolderIsTheLibraryPathUpToItsLastSeparator) {
    register_old_server("C:\\Program Files\\TolmServer\\TolmServer6.dll");
    EXPECT_EQ(registered_server_folder(k_previous_prog_id), "C:\\Program Files\\TolmServer\\");
    register_old_server("/opt/tolm/libTolmServer6.so");
    EXPECT_EQ(registered_server_folder(k_previous_prog_id), "/opt/tolm/");
}

TEST_F(InitialiserTest, RegisteredFolderIsEmptyForAnythingIncomplete) {
    EXPECT_EQ(registered_server_folder(k_previous_prog_id), "");
    ASSERT_TRUE(reg::write_string(reg::HKEY_CLASSES_ROOT, std::string(k_previous_prog_id) + "\\CLSID", "", k_old_class_id));
    EXPECT_EQ(registered_server_folder(k_previous_prog_id), "") << "class without InprocServer32";
    register_old_server("TolmServer6.dll");
    EXPECT_EQ(registered_server_folder(k_previous_prog_id), "") << "a path without a folder";
    // A library path stored as bytes has no text form.
    reg::Key key = 0;
    ASSERT_EQ(reg::create_key(reg::HKEY_CLASSES_ROOT, std::string("CLSID\\") + k_old_class_id + "\\InprocServer32",
                              reg::KEY_ALL_ACCESS_CLASSIC, key),
              reg::ERROR_SUCCESS);
    const std::uint8_t bytes[] = {'C', ':', '\\', 'x'};
    ASSERT_EQ(reg::set_value(key, "", reg::REG_BINARY, bytes, sizeof bytes), reg::ERROR_SUCCESS);
    reg::close_key(key);
    EXPECT_EQ(registered_server_folder(k_previous_prog_id), "");
}

// ---- The map entry file the installation ships --------------------------------------------------

TEST(ShippedEntryFile, IsThreeLinesInTheMapEntryFormat) {
    const std::string text = read_bytes(std::string(TOLM_SOURCE_DIR) + "/data/!!TolmServer7.INF");
    const std::regex format("([0-9]{3}\\.[0-9]{2}\\.[0-9]{2}[EW],[0-9]{2}\\.[0-9]{2}\\.[0-9]{2}[NS]\r\n){2}"
                            "Kartovex V7 Server\r\n");
    EXPECT_TRUE(std::regex_match(text, format)) << text;
}

}  // namespace
}  // namespace tolm::init
