#include "ui/headless/headless_window_system.h"

#include "ui/forms/dialogs.h"
#include "ui/forms/form.h"
#include "ui/headless/headless_fixture.h"
#include "platform/runtime_error.h"
#include "ui/desktop.h"
#include "ui/current_window_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tolm::platform::headless {
namespace {

namespace mb = message_box_style;
namespace result = message_box_result;

class HeadlessWindowSystemTest : public testing::HeadlessTest {};

TEST_F(HeadlessWindowSystemTest, MessageBoxesPressTheScriptedButtonAndRecordWhatWasShown) {
    desktop.answer_message_box(result::no);
    EXPECT_EQ(forms::message_box("Replace it?", mb::yes_no | mb::question, "Settings"), result::no);
    ASSERT_EQ(desktop.message_boxes().size(), 1u);
    EXPECT_EQ(desktop.message_boxes()[0].title, "Settings");
    EXPECT_EQ(desktop.message_boxes()[0].icon(), mb::question);
    EXPECT_EQ(desktop.message_boxes()[0].buttons(), mb::yes_no);
    EXPECT_EQ(desktop.message_boxes()[0].owner, 0u);  // no form was active

    // A button the box does not offer is a fault of the script.
    desktop.answer_message_box(result::cancel);
    EXPECT_THROW(forms::message_box("Done.", mb::information), RuntimeError);
    // Nothing answered: the error names the box, and the problem stays on record.
    EXPECT_THROW(forms::message_box("Unexpected"), RuntimeError);
    ASSERT_EQ(desktop.problems().size(), 2u);
    EXPECT_NE(desktop.problems()[1].find("Unexpected"), std::string::npos);
}

TEST(HeadlessDefaultAnswers, PressDefaultButtonsCancelDialogsAndCloseModalForms) {
    HeadlessWindowSystem desktop(UnansweredPolicy::default_answer);
    ScopedWindowSystem installed(desktop);
    EXPECT_EQ(forms::message_box("Continue?", mb::yes_no_cancel | mb::default_button2), result::no);
    EXPECT_EQ(forms::message_box("Note"), result::ok);
    EXPECT_EQ(forms::pick_file(0, "", "", "", "INF files|*.INF", "Pick", 0), "");

    forms::Form form("frmModal");
    bool closed_from_menu = false;
    form.on_query_unload = [&](bool&, forms::UnloadMode mode) {
        closed_from_menu = mode == forms::UnloadMode::form_control_menu;
    };
    form.show(forms::Modality::modal);
    EXPECT_TRUE(closed_from_menu);
    EXPECT_FALSE(form.loaded());

    // A form that refuses to close would leave a real modal loop running forever.
    forms::Form stubborn("frmStubborn");
    stubborn.on_query_unload = [](bool& cancel, forms::UnloadMode) { cancel = true; };
    EXPECT_THROW(stubborn.show(forms::Modality::modal), RuntimeError);
}

TEST_F(HeadlessWindowSystemTest, FolderAnswersAreSpelledAsTheShellReportsThem) {
    FolderBrowseRequest request;
    request.title = "Pick";
    desktop.answer_folder("C:\\");
    desktop.answer_folder("C:\\Program Files\\Kartovex\\");
    desktop.answer_folder("D:");
    desktop.answer_folder("/");
    desktop.answer_folder("/srv/maps/");
    desktop.answer_folder("C:\\" + std::string(300, 'x'));
    desktop.answer_folder_without_path();
    desktop.cancel_folder();
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>("C:\\"));
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>("C:\\Program Files\\Kartovex"));
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>("D:\\"));
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>("/"));
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>("/srv/maps"));
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>(""));  // too long for the shell's buffer
    EXPECT_EQ(desktop.browse_for_folder(request), std::optional<std::string>(""));
    EXPECT_EQ(desktop.browse_for_folder(request), std::nullopt);
    EXPECT_TRUE(desktop.all_answers_used());
}

TEST_F(HeadlessWindowSystemTest, OpenFileDialogRecordsTheRequestAndRefusesMissingFilesWhenAsked) {
    const auto folder = std::filesystem::temp_directory_path() / "tolm_headless_open_file";
    std::filesystem::create_directories(folder);
    const std::string existing = (folder / "map.inf").string();
    std::ofstream(existing) << "x";

    desktop.answer_open_file(existing);
    desktop.cancel_open_file();
    desktop.answer_open_file((folder / "missing.inf").string());
    EXPECT_EQ(forms::pick_file(0x1234, "INF", "*.INF", folder.string(), "INF files|*.INF", "Pick a map", 4096), existing);
    EXPECT_EQ(forms::pick_file(0, "", "", "", "", "", 0), "");
    // The real dialog would not accept a missing file; pick_file reports any failure as no choice.
    EXPECT_EQ(forms::pick_file(0, "", "", "", "", "", 4096), "");

    ASSERT_EQ(desktop.file_dialogs().size(), 3u);
    const OpenFileRequest& first = desktop.file_dialogs()[0].request;
    EXPECT_EQ(first.owner, 0x1234u);
    EXPECT_EQ(first.title, "Pick a map");
    EXPECT_EQ(first.initial_folder, folder.string());
    EXPECT_EQ(first.filter, "INF files|*.INF");
    EXPECT_EQ(first.flags, 4096u | 4u | 8u);
    EXPECT_EQ(desktop.file_dialogs()[1].request.flags, 12u);
    EXPECT_EQ(desktop.problems().size(), 1u);
    std::filesystem::remove_all(folder);
}

TEST_F(HeadlessWindowSystemTest, TopLevelWindowsIncludeLoadedFormsAndOtherPrograms) {
    EXPECT_EQ(find_window_by_title("Wendal32"), 0u);
    const WindowHandle client = desktop.add_top_level_window("Wendal32");
    EXPECT_EQ(find_window_by_title("Wendal32"), client);
    EXPECT_EQ(find_window_by_title("WENDAL32"), client);  // titles compare without case
    EXPECT_EQ(find_window_by_title("Wendal"), 0u);

    forms::Form form("frmTolm");
    form.set_caption("Engine");
    EXPECT_EQ(find_window_by_title("Engine"), 0u);  // not loaded, no window
    form.load();  // a hidden window is still found
    EXPECT_EQ(find_window_by_title("Engine"), form.hwnd());
    form.unload();
    EXPECT_EQ(find_window_by_title("Engine"), 0u);

    desktop.remove_top_level_window(client);
    EXPECT_EQ(find_window_by_title("Wendal32"), 0u);
}

TEST_F(HeadlessWindowSystemTest, ScreenMetricsCanBeSet) {
    EXPECT_EQ(screen_width_twips(), 1024 * 15);
    desktop.set_screen_metrics(ScreenMetrics{1920, 1080, 12, 12});
    EXPECT_EQ(screen_width_twips(), 1920 * 12);
    EXPECT_EQ(screen_height_twips(), 1080 * 12);
}

TEST(CurrentWindowSystem, FallsBackToALenientHeadlessDesktop) {
    HeadlessWindowSystem mine;
    WindowSystem* before = set_window_system(&mine);
    EXPECT_EQ(&window_system(), &mine);
    EXPECT_EQ(set_window_system(before), &mine);
    // Without an installed system, dialogs still get an answer rather than hang.
    WindowSystem* previous = set_window_system(nullptr);
    EXPECT_EQ(window_system().message_box(MessageBoxRequest{0, "Hello", "T", mb::ok_cancel}), result::ok);
    set_window_system(previous);
}

}  // namespace
}  // namespace tolm::platform::headless
