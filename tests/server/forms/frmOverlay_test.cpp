#include "server/forms/frmOverlay.h"

#include "platform/app.h"
#include "server/host_folders.h"
#include "support/scratch.h"
#include "ui/forms/keys.h"
#include "ui/headless/headless_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

class OverlayChooser : public testing::HeadlessTest {
protected:
    OverlayChooser() {
        std::filesystem::create_directories(overlays.path());
        saved_overlays = strOverlaysFolder;
        saved_underlays = strUnderlaysFolder;
        strOverlaysFolder = overlays.path().string() + "/";
        strUnderlaysFolder = underlays.path().string() + "/";
    }
    ~OverlayChooser() override {
        strOverlaysFolder = saved_overlays;
        strUnderlaysFolder = saved_underlays;
    }

    void touch(const test::ScratchFolder& folder, const std::string& name) { test::write_bytes(folder.file(name), "x"); }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < form->lstOvl.list_count(); ++i) out.push_back(form->lstOvl.list(i));
        return out;
    }
    std::vector<std::int32_t> checked_rows() const {
        std::vector<std::int32_t> out;
        for (std::int32_t i = 0; i < form->lstOvl.list_count(); ++i)
            if (form->lstOvl.checked(i)) out.push_back(i);
        return out;
    }
    std::string upper(std::string text) const {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
        return text;
    }

    test::ScratchFolder overlays{"overlays"};
    test::ScratchFolder underlays{"underlays"};
    std::string saved_overlays, saved_underlays;
    forms::FormPtr<frmOverlay> form = forms::make_form<frmOverlay>();
};

TEST_F(OverlayChooser, DesignOfTheDialog) {
    desktop.set_screen_metrics({1280, 1024, 15, 15});
    form->Init("", true);
    EXPECT_EQ(form->caption(), "Overlays");
    EXPECT_EQ(form->help_context_id(), 70);
    EXPECT_EQ(form->cmdOk.caption(), "&Ok");
    EXPECT_EQ(form->cmdCancel.caption(), "&Cancel");
    EXPECT_EQ(form->lstOvl.style(), forms::ListBox::Style::checkbox);
    EXPECT_EQ(form->labPrompt.left(), 720);
    EXPECT_EQ(form->labPrompt.width(), 2430);
    EXPECT_EQ(form->lstOvl.top(), 300);
    EXPECT_EQ(form->lstOvl.height(), 1860);
    EXPECT_EQ(form->cmdOk.left(), 848);
    EXPECT_EQ(form->cmdCancel.left(), 2108);
    EXPECT_EQ(form->cmdCancel.top(), 2280);
    std::vector<std::string> order;
    for (auto* control : form->tab_order()) order.push_back(control->name());
    EXPECT_EQ(order, (std::vector<std::string>{"cmdOk", "cmdCancel", "lstOvl", "labPrompt"}));
    // Centred on the screen when it loads.
    EXPECT_EQ(form->left(), (1280 * 15 - form->width()) / 2);
    EXPECT_EQ(form->top(), (1024 * 15 - form->height()) / 2);
}

TEST_F(OverlayChooser, F1OpensTheChoosersHelpTopic) {
    const std::string saved = platform::app_help_file();
    platform::set_app_help_file("TolmServer6.HLP");
    form->Init("", true);
    form->show();
    form->press_key(forms::key::f1);
    ASSERT_FALSE(desktop.help_calls().empty());
    EXPECT_EQ(desktop.help_calls().back().data, 70u);
    platform::set_app_help_file(saved);
}

TEST_F(OverlayChooser, OverlaysAreListedInAlphabeticalOrderWithoutOtherFiles) {
    touch(overlays, "roads.OVR");
    touch(overlays, "Airports.ovr");
    touch(overlays, "notes.txt");
    touch(overlays, "ovr");
    std::filesystem::create_directory(overlays.path() / "folder.OVR");
    form->Init("", true);
    EXPECT_EQ(form->labPrompt.caption(), "Check the overlay you wish to use");
    EXPECT_EQ(rows(), (std::vector<std::string>{"Airports.ovr", "roads.OVR"}));
    EXPECT_TRUE(checked_rows().empty());
}

TEST_F(OverlayChooser, AnUnderlayIsListedOnlyWithItsExtentFile) {
    touch(underlays, "relief.BMP");
    touch(underlays, "Town.BMP");
    touch(underlays, "Town.SAT");
    touch(underlays, "alone.SAT");
    form->Init("", false);
    EXPECT_EQ(form->caption(), "Underlays");
    EXPECT_EQ(form->labPrompt.caption(), "Check the underlay you wish to use");
    EXPECT_EQ(rows(), (std::vector<std::string>{"Town.BMP"}));
}

TEST_F(OverlayChooser, TheCurrentChoiceIsCheckedWhateverItsCase) {
    touch(overlays, "ROADS.OVR");
    touch(overlays, "Rivers.OVR");
    // The choice as saved in another case: the folder and the name both differ.
    const std::string choice = upper(strOverlaysFolder) + "roads.ovr";
    form->Init(choice, true);
    ASSERT_EQ(rows(), (std::vector<std::string>{"Rivers.OVR", "ROADS.OVR"}));
    EXPECT_EQ(checked_rows(), (std::vector<std::int32_t>{1}));
}

TEST_F(OverlayChooser, CheckingASecondEntryUnchecksTheFirstAndOkReturnsIt) {
    touch(overlays, "a.OVR");
    touch(overlays, "b.OVR");
    touch(overlays, "c.OVR");
    desktop.answer_modal("frmOverlay", [](forms::Form& shown) {
        auto& chooser = dynamic_cast<frmOverlay&>(shown);
        chooser.lstOvl.click_row(0);
        chooser.lstOvl.click_row(2);
        EXPECT_FALSE(chooser.lstOvl.checked(0));
        EXPECT_TRUE(chooser.lstOvl.checked(2));
        // Unchecking changes nothing else.
        chooser.lstOvl.toggle_check(2);
        EXPECT_FALSE(chooser.lstOvl.checked(0));
        chooser.lstOvl.toggle_check(1);
        chooser.cmdOk.click();
    });
    EXPECT_EQ(ChooseLayerFile(strOverlaysFolder + "a.OVR", true), strOverlaysFolder + "b.OVR");
    EXPECT_TRUE(desktop.all_answers_used());
    EXPECT_TRUE(desktop.problems().empty());
}

TEST_F(OverlayChooser, OkWithNothingCheckedCancelAndClosingAllReturnEmpty) {
    touch(overlays, "a.OVR");
    desktop.answer_modal("frmOverlay", [](forms::Form& shown) {
        auto& chooser = dynamic_cast<frmOverlay&>(shown);
        chooser.lstOvl.toggle_check(0);  // unchecks the current choice
        chooser.cmdOk.click();
    });
    desktop.answer_modal("frmOverlay", [](forms::Form& shown) {
        auto& chooser = dynamic_cast<frmOverlay&>(shown);
        chooser.lstOvl.toggle_check(0);
        chooser.cmdCancel.click();
    });
    desktop.answer_modal("frmOverlay", [](forms::Form& shown) {
        auto& chooser = dynamic_cast<frmOverlay&>(shown);
        chooser.lstOvl.toggle_check(0);
        chooser.close_from_window_menu();
    });
    const std::string current = strOverlaysFolder + "a.OVR";
    EXPECT_EQ(ChooseLayerFile(current, true), "");
    EXPECT_EQ(ChooseLayerFile("", true), "");
    EXPECT_EQ(ChooseLayerFile("", true), "");
    EXPECT_TRUE(desktop.problems().empty());
}

TEST_F(OverlayChooser, AnEmptyOrMissingFolderGivesAnEmptyList) {
    desktop.answer_modal("frmOverlay", [](forms::Form& shown) { dynamic_cast<frmOverlay&>(shown).cmdOk.click(); });
    strOverlaysFolder = overlays.file("missing") + "/";
    EXPECT_EQ(ChooseLayerFile("", true), "");
    EXPECT_TRUE(layer_files_in("", true).empty());
}

TEST_F(OverlayChooser, SpaceTogglesTheSelectedRowAndStillKeepsOneCheck) {
    touch(overlays, "a.OVR");
    touch(overlays, "b.OVR");
    form->Init(strOverlaysFolder + "a.OVR", true);
    form->show();
    form->lstOvl.set_focus();
    form->lstOvl.set_list_index(1);
    form->type_text(" ");
    EXPECT_EQ(checked_rows(), (std::vector<std::int32_t>{1}));
}

}  // namespace
}  // namespace tolm::server
