#include "common/clsFolderBrowser.h"

#include "ui/headless/headless_fixture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace tolm {
namespace {

class FolderBrowserTest : public testing::HeadlessTest {
protected:
    clsFolderBrowser browser;
    test::ScratchFolder start{"browse"};
};

TEST_F(FolderBrowserTest, WithoutAStartFolderNoCallbackIsInstalled) {
    browser.lnghWndOwner(0x3040);
    browser.strTitle("Browse to the Kartovex V7 Data1 folder");
    desktop.answer_folder("C:\\Maps\\Data1");
    EXPECT_EQ(browser.strFolder(""), "C:\\Maps\\Data1");

    ASSERT_EQ(desktop.folder_dialogs().size(), 1u);
    const auto& shown = desktop.folder_dialogs()[0];
    EXPECT_FALSE(shown.had_callback);
    EXPECT_FALSE(shown.initial_selection.has_value());
    EXPECT_EQ(shown.owner, 0x3040u);
    EXPECT_EQ(shown.title, "Browse to the Kartovex V7 Data1 folder");
    EXPECT_EQ(shown.flags, 1u);  // only file-system folders; the domain option left off
}

TEST_F(FolderBrowserTest, AnExistingStartFolderIsSelectedWhenTheDialogOpens) {
    browser.blnDontGoBelowDomain(true);
    desktop.answer_folder("C:\\");
    desktop.answer_folder("C:\\Program Files\\Kartovex V7\\");
    EXPECT_EQ(browser.strFolder(start.path().string()), "C:\\");  // a drive root keeps its backslash
    EXPECT_EQ(browser.strFolder(start.path().string()), "C:\\Program Files\\Kartovex V7");

    const auto& shown = desktop.folder_dialogs()[0];
    EXPECT_TRUE(shown.had_callback);
    EXPECT_EQ(shown.initial_selection, start.path().string());
    EXPECT_EQ(shown.flags, 3u);
}

TEST_F(FolderBrowserTest, CancelAndItemsWithoutAPathGiveTheEmptyText) {
    desktop.cancel_folder();
    desktop.answer_folder_without_path();
    EXPECT_EQ(browser.strFolder(start.path().string()), "");
    EXPECT_EQ(browser.strFolder(start.path().string()), "");
    EXPECT_TRUE(desktop.all_answers_used());
}

TEST_F(FolderBrowserTest, AMissingStartFolderIsIgnoredByTheDialog) {
    desktop.answer_folder("D:\\Data");
    EXPECT_EQ(browser.strFolder(start.file("no such folder")), "D:\\Data");
    EXPECT_TRUE(desktop.folder_dialogs()[0].had_callback);
    EXPECT_FALSE(desktop.folder_dialogs()[0].initial_selection.has_value());
}

TEST_F(FolderBrowserTest, CallbackAnswersZeroAndOnlyActsWhenTheDialogOpens) {
    // Outside a dialog, or for other messages, the callback only answers 0.
    EXPECT_EQ(BrowseCallback(0x10, platform::BFFM_SELCHANGED, 0, 0), 0);
    EXPECT_EQ(BrowseCallback(0x10, platform::BFFM_INITIALIZED, 0, 0), 0);
    EXPECT_TRUE(desktop.folder_dialogs().empty());
}

}  // namespace
}  // namespace tolm
