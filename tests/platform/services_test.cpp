#include "platform/services.h"

#include "platform/headless/headless_fixture.h"
#include "platform/module_info.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace tolm::platform {
namespace {

TEST(NamedMutex, SecondCreationOpensTheExistingMutex) {
    const std::string name = "TOLM7MUTEX-test-" + std::to_string(std::random_device{}());
    EXPECT_FALSE(named_mutex_exists(name));
    EXPECT_EQ(create_named_mutex(name), MutexCreation::created);
    EXPECT_EQ(create_named_mutex(name), MutexCreation::opened_existing);
    EXPECT_TRUE(named_mutex_exists(name));
    // Names are case-sensitive, as the system's object names are.
    EXPECT_EQ(create_named_mutex(name + "x"), MutexCreation::created);
}

TEST(FileExistence, FilesAndFoldersCountMissingAndEmptyPathsDoNot) {
    test::ScratchFolder folder("services");
    const std::string file = folder.file("a.txt");
    test::write_bytes(file, "x");
    EXPECT_TRUE(file_exists(file));
    EXPECT_TRUE(file_exists(folder.path().string()));
    EXPECT_FALSE(file_exists(folder.file("missing.txt")));
    EXPECT_FALSE(file_exists(""));
}

class SavedSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { test::use_scratch_registry_store(); }
    void TearDown() override {
        registry::delete_tree(registry::HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\" + m_app);
    }
    const std::string m_app = "TolmTest" + std::to_string(std::random_device{}());
};

TEST_F(SavedSettingsTest, SaveSettingWritesWhereGetSettingAndTheClientLook) {
    EXPECT_EQ(get_setting(m_app, "Wendal32", "Program Folder", "none"), "none");
    save_setting(m_app, "Wendal32", "Program Folder", "C:\\Wendal32");
    EXPECT_EQ(get_setting(m_app, "Wendal32", "Program Folder"), "C:\\Wendal32");
    EXPECT_EQ(get_setting(m_app, "WENDAL32", "program folder"), "C:\\Wendal32");  // the registry ignores case

    // The value lives in the runtime's own key, as a string.
    std::string raw;
    ASSERT_TRUE(registry::read_string(registry::HKEY_CURRENT_USER,
                                      "Software\\VB and VBA Program Settings\\" + m_app + "\\Wendal32",
                                      "Program Folder", raw));
    EXPECT_EQ(raw, "C:\\Wendal32");

    delete_setting(m_app, "Wendal32", "Program Folder");
    EXPECT_EQ(get_setting(m_app, "Wendal32", "Program Folder", "gone"), "gone");
    EXPECT_THROW(delete_setting(m_app, "Wendal32", "Program Folder"), RuntimeError);
    EXPECT_THROW(save_setting(m_app, "", "key", "v"), RuntimeError);
    EXPECT_EQ(get_setting("", "s", "k", "d"), "d");
}

TEST(AppIdentity, TitleIsTheModuleBaseNameUnlessSet) {
    EXPECT_EQ(app_title(), module_base_name());
    EXPECT_EQ(app_exe_name(), module_base_name());
    EXPECT_EQ(app_path(), module_folder());
    set_app_title("TolmServer7");
    EXPECT_EQ(app_title(), "TolmServer7");
    set_app_title(module_base_name());
}

class HelpTest : public testing::HeadlessTest {};

TEST_F(HelpTest, HelpFileSitsBesideTheModuleAndClosesWithTheOwner) {
    InitHelp(0x4242);
    const std::string expected = help_file_in(module_folder());
    EXPECT_EQ(app_help_file(), expected);
    // A drive root already ends with its separator; no second one is added.
    EXPECT_EQ(help_file_in("C:\\"), "C:\\TolmServer6.HLP");
    EXPECT_EQ(help_file_in("/"), "/TolmServer6.HLP");
    EXPECT_EQ(help_file_in("/opt/tolm"), std::string("/opt/tolm") + path_separator() + "TolmServer6.HLP");

    ShowHelpTopic(30);
    EXPECT_TRUE(desktop.help_window_open());
    CloseHelp();
    EXPECT_FALSE(desktop.help_window_open());
    ASSERT_EQ(desktop.help_calls().size(), 2u);
    EXPECT_EQ(desktop.help_calls()[0].owner, 0x4242u);
    EXPECT_EQ(desktop.help_calls()[0].command, HELP_CONTEXT);
    EXPECT_EQ(desktop.help_calls()[0].data, 30u);
    EXPECT_EQ(desktop.help_calls()[1].command, HELP_QUIT);
    EXPECT_EQ(desktop.help_calls()[1].help_file, expected);
    set_app_help_file("");
}

}  // namespace
}  // namespace tolm::platform
