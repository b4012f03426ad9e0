#include "tools/tolm/control_panel.h"

#include "tools/tolm/host_error.h"
#include "tools/tolm/options.h"

#include "ui/forms/form.h"
#include "ui/forms/menu.h"
#include "ui/headless/headless_fixture.h"

#include <gtest/gtest.h>

namespace tolm::cli {
namespace {

class SmallPanel : public forms::Form {
public:
    SmallPanel() : forms::Form("frmSmall") {}
    forms::Menu mnuOptions{*this, "mnuOptions", "&Options"};
    forms::Menu mnuStates{mnuOptions, "mnuStates", "&States"};
    forms::Menu mnuBar{mnuOptions, "mnuBar", "-"};
    forms::Menu mnuShadeStates{mnuOptions, "mnuShadeStates", "Shade &States"};
    forms::Menu mnuHidden{mnuOptions, "mnuHidden", "Hidden"};
    forms::Menu mnuExit{*this, "mnuExit", "E&xit"};
};

class PanelClicks : public testing::HeadlessTest {
protected:
    SmallPanel panel;
};

TEST_F(PanelClicks, ItemsAreFoundByTheCaptionsShownOrWrittenInAnyCase) {
    EXPECT_EQ(&find_menu_item(panel, "Options/States"), &panel.mnuStates);
    EXPECT_EQ(&find_menu_item(panel, "options/shade states"), &panel.mnuShadeStates);
    EXPECT_EQ(&find_menu_item(panel, "&Options/Shade &States"), &panel.mnuShadeStates);
    panel.mnuHidden.set_visible(false);
    try {
        find_menu_item(panel, "Options/Hidden");
        ADD_FAILURE() << "a hidden item was found";
    } catch (const HostError& e) {
        EXPECT_STREQ(e.what(), "the panel's menu has no \"Hidden\" under \"Options\" (there: \"States\", \"Shade States\")");
    }
    EXPECT_THROW(find_menu_item(panel, "States"), HostError) << "paths start at the menu bar";
}

TEST_F(PanelClicks, TheMenuIsPrintedWithChecksAndDisabledItems) {
    panel.mnuShadeStates.set_checked(true);
    panel.mnuStates.set_enabled(false);
    panel.mnuHidden.set_visible(false);
    EXPECT_EQ(describe_menu(panel), (std::vector<std::string>{"    Options", "      States (disabled)", "      -",
                                                              "  [x] Shade States", "    Exit"}));
}

TEST_F(PanelClicks, ADisabledItemOrAClosedPanelStopsTheClicks) {
    int clicks = 0;
    panel.mnuShadeStates.on_click = [&] { ++clicks; };
    panel.mnuExit.on_click = [&] { panel.hide(); };
    panel.mnuStates.set_enabled(false);
    desktop.answer_modal("frmSmall", [&](forms::Form&) {
        click_menu_items(panel, {"Options/Shade States"});
        EXPECT_THROW(click_menu_items(panel, {"Options/States"}), HostError);
        EXPECT_THROW(click_menu_items(panel, {"Exit", "Options/Shade States"}), HostError);
    });
    panel.show(forms::Modality::modal);
    EXPECT_EQ(clicks, 1);
}

TEST(PanelOptions, ClicksAndAnswersFollowTheWordPanel) {
    const Options options = parse_options({"panel", "Options/Shade Counties", "--answer", "folder=/m/States",
                                           "--answer", "cancel-file", "About"});
    EXPECT_TRUE(options.panel);
    EXPECT_EQ(options.panel_clicks, (std::vector<std::string>{"Options/Shade Counties", "About"}));
    ASSERT_EQ(options.answers.size(), 2u);
    EXPECT_EQ(options.answers[0].kind, DialogAnswer::Kind::folder);
    EXPECT_EQ(options.answers[0].path, "/m/States");
    EXPECT_EQ(options.answers[1].kind, DialogAnswer::Kind::cancel_file);
    EXPECT_TRUE(options.png.empty()) << "a picture is optional with the panel";
    EXPECT_THROW(parse_options({"panel", "--answer", "folder="}), std::invalid_argument);
    EXPECT_THROW(parse_options({"--answer", "cancel-folder", "--out", "x.png"}), std::invalid_argument);
    EXPECT_THROW(parse_options({"Options/Shade Counties", "--out", "x.png"}), std::invalid_argument)
        << "captions only after the word panel";
}

}  // namespace
}  // namespace tolm::cli
