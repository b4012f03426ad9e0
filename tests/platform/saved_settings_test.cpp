#include "platform/saved_settings.h"

#include "platform/registry.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <random>

namespace tolm::platform {
namespace {

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

}  // namespace
}  // namespace tolm::platform
