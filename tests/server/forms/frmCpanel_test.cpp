#include "server/forms/frmCpanel.h"
#include "server/forms/panel_artwork.h"

#include "platform/painter.h"
#include "platform/raster/raster_surface.h"

#include "ui/headless/headless_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolm::server {
namespace {

// The menu as a user reads it: one line per item, indented by its depth, with its caption as written
// (access keys included), its check mark and whether it can be chosen.
void describe(const forms::Menu& item, int depth, std::vector<std::string>& lines) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += item.caption();
    if (item.checked()) line += " [x]";
    if (!item.enabled()) line += " (disabled)";
    lines.push_back(line);
    for (const forms::Menu* inner : item.items()) describe(*inner, depth + 1, lines);
}

std::vector<std::string> menu_of(const forms::Form& form) {
    std::vector<std::string> lines;
    for (const forms::Menu* item : form.menu_bar()) describe(*item, 0, lines);
    return lines;
}

class ControlPanelForm : public testing::HeadlessTest {
protected:
    forms::FormPtr<frmCpanel> panel = forms::make_form<frmCpanel>();
    std::vector<std::string> events;

    void connect() {
        auto plain = [this](const char* name) { return [this, name] { events.push_back(name); }; };
        auto flag = [this](const char* name) {
            return [this, name](bool value) { events.push_back(std::string(name) + (value ? "=True" : "=False")); };
        };
        panel->EasySetup = plain("EasySetup");
        panel->Data1 = plain("Data1");
        panel->Data2 = plain("Data2");
        panel->Data3 = plain("Data3");
        panel->States0 = plain("States0");
        panel->States1 = plain("States1");
        panel->Monochrome = flag("Monochrome");
        panel->ShadeCounties = flag("ShadeCounties");
        panel->ShadeMCD = flag("ShadeMCD");
        panel->ShadePlaces = flag("ShadePlaces");
        panel->ShadeStates = flag("ShadeStates");
        panel->OnewayShow = flag("OnewayShow");
    }
};

TEST_F(ControlPanelForm, TheMapAidItemsComeAfterThePanelsOwnAndRaiseTheirEvent) {
    std::vector<std::pair<int, bool>> raised;
    panel->MapAid = [&](int aid, bool shown) { raised.emplace_back(aid, shown); };
    panel->mnuGridSquares.on_click();
    panel->mnuScaleBar.on_click();
    panel->mnuGridSquares.on_click();
    EXPECT_EQ(raised, (std::vector<std::pair<int, bool>>{{2, true}, {0, true}, {2, false}}));
    EXPECT_TRUE(panel->mnuScaleBar.checked());
    panel->map_aid_checked(1, true);
    EXPECT_TRUE(panel->mnuLatLonGrid.checked());
}

TEST_F(ControlPanelForm, TheMenuBarHasEveryItemInOrder) {
    panel->blnShadeStates(true);
    EXPECT_EQ(menu_of(*panel), (std::vector<std::string>{
                                   "&Options (disabled)",
                                   "  &Kartovex Data Paths",
                                   "    &Easy Setup",
                                   "    Data&1",
                                   "    Data&2",
                                   "    Data&3",
                                   "    &States",
                                   "    States (Supplementary)",
                                   "  &Background Color (disabled)",
                                   "  -",
                                   "  &Monochrome Maps",
                                   "  &White Background",
                                   "  Show &Oneway",
                                   "  -",
                                   "  Shade MC&Ds",
                                   "  Shade P&laces",
                                   "  Shade &Counties",
                                   "  Shade &States [x]",
                                   "  -",
                                   "  Map &Aids",
                                   "    &Scale Bar",
                                   "    &Latitude/Longitude Grid",
                                   "    &Grid Squares (Maidenhead)",
                                   "O&verlays",
                                   "&Underlays",
                                   "  &Load Underlay",
                                   "  &Make Underlay",
                                   "&About",
                                   "&Help",
                                   "E&xit",
                               }));
    EXPECT_EQ(panel->caption(), "TolmServer7 Control Panel");
    EXPECT_EQ(panel->HelpContextID(), 30);
    EXPECT_EQ(panel->border_style(), forms::BorderStyle::fixed_dialog);
    EXPECT_FALSE(panel->min_button() || panel->max_button());
}

TEST_F(ControlPanelForm, CheckItemsToggleAndRaiseTheNewStateWhiteBackgroundRaisesNothing) {
    connect();
    panel->blnShadeCounties(true);
    panel->mnuOptions.set_enabled(true);
    desktop.answer_modal("frmCpanel", [this](forms::Form&) {
        panel->mnuShadeCounties.click();
        panel->mnuMonochromeMaps.click();
        panel->mnuWhiteBackground.click();
        panel->mnuShowOneway.click();
        panel->mnuShadeMCD.click();
        panel->mnuShadePlaces.click();
        panel->mnuShadeStates.click();
        panel->mnuEasySetup.click();
        panel->mnuData1.click();
        panel->mnuData2.click();
        panel->mnuData3.click();
        panel->mnuStates.click();
        panel->mnuStatesSupp.click();
        EXPECT_FALSE(panel->mnuBackgroundColor.click()) << "shown disabled";
        panel->mnuExit.click();
        EXPECT_FALSE(panel->visible()) << "Exit hides the panel, which ends the modal show";
        EXPECT_TRUE(panel->loaded());
    });
    panel->ShowModal();
    EXPECT_EQ(events, (std::vector<std::string>{"ShadeCounties=False", "Monochrome=True", "OnewayShow=True",
                                                "ShadeMCD=True", "ShadePlaces=True", "ShadeStates=True", "EasySetup",
                                                "Data1", "Data2", "Data3", "States0", "States1"}));
    EXPECT_TRUE(panel->mnuWhiteBackground.checked());
}

TEST_F(ControlPanelForm, ADisabledOptionsMenuReachesNothing) {
    connect();
    desktop.answer_modal("frmCpanel", [this](forms::Form&) {
        EXPECT_FALSE(panel->mnuShadeCounties.click());
        EXPECT_FALSE(panel->mnuEasySetup.click());
        panel->close_from_window_menu();
    });
    panel->ShowModal();
    EXPECT_TRUE(events.empty());
}

TEST_F(ControlPanelForm, LoadCentresOnTheScreenAndSetsUpTheHelp) {
    platform::ScreenMetrics screen;
    screen.width_pixels = 1280;
    screen.height_pixels = 1024;
    desktop.set_screen_metrics(screen);
    panel->Load();
    EXPECT_EQ(panel->left(), (1280 * 15 - panel->width()) / 2);
    EXPECT_EQ(panel->top(), (1024 * 15 - panel->height()) / 2);
    EXPECT_EQ(panel->width(), 4500 + 6 * 15) << "a client area of 4500 twips inside the dialog's frame";
    EXPECT_EQ(panel->height(), 2550 + 44 * 15) << "below the title and menu bars";
    EXPECT_EQ(panel->picLogo.width(), 300 * 15);
    EXPECT_EQ(panel->picLogo.height(), 169 * 15);
    panel->Unload();
    ASSERT_EQ(desktop.help_calls().size(), 1u);
    EXPECT_EQ(desktop.help_calls()[0].command, platform::HELP_QUIT) << "unloading closes the help";
}

TEST_F(ControlPanelForm, ThePictureIsPaintedWhenTheWindowSystemGivesItASurface) {
    auto surface = std::make_shared<platform::RasterSurface>(300, 169, 0xFF000000u);
    const auto hdc = platform::register_surface(surface);
    panel->picLogo.attach_hdc(static_cast<std::uintptr_t>(hdc));
    panel->Load();
    EXPECT_EQ(surface->pixel(2, 2), platform::Colour::from_bgr(k_artwork_sea).argb) << "the sea in the corner";
    EXPECT_EQ(surface->pixel(100, 80), platform::Colour::from_bgr(k_artwork_land).argb) << "the land inside";
    panel->Unload();
    platform::unregister_surface(hdc);
}

}  // namespace
}  // namespace tolm::server
