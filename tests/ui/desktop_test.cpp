#include "ui/desktop.h"

#include "platform/app.h"
#include "platform/module_info.h"
#include "ui/headless/headless_fixture.h"

#include <gtest/gtest.h>

namespace tolm::platform {
namespace {

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
