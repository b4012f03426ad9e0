#include "platform/app.h"
#include "platform/files.h"
#include "platform/named_mutex.h"
#include "platform/saved_settings.h"

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

}  // namespace
}  // namespace tolm::platform
