#include "tools/tolm/search_dialog.h"

#include "platform/module_info.h"
#include "server/forms/frmSearch.h"
#include "tools/tolm/desktop.h"
#include "ui/current_window_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tolm::cli {
namespace {

// The server's dialog in this process, with the server's side played by a table of answers.
class SearchDialogTest : public ::testing::Test {
protected:
    SearchDialogTest() {
        std::filesystem::remove(settings_file());
        form->Find = [this](std::string& text, std::int16_t& kind) {
            searched.push_back(std::to_string(kind) + " " + text);
            for (const auto& title : answers[text]) {
                server::FindResult row;
                row.strTitle = title;
                form->AddToList(row);
            }
        };
        form->ZoomToFind = [this](std::string& title, double&, double&, bool&, double&, double&, double&, bool&) {
            zoomed.push_back(title);
        };
    }
    ~SearchDialogTest() override { std::filesystem::remove(settings_file()); }

    static std::string settings_file() {
        return platform::module_folder() + platform::path_separator() + platform::module_base_name() + ".INI";
    }
    SearchOutcome search(int kind, const std::string& text, std::optional<int> go_to = std::nullopt) {
        form->show(forms::Modality::modeless);
        return run_search(*form, SearchRequest{kind, text, go_to});
    }

    Desktop desktop{platform::headless::UnansweredPolicy::fail};
    platform::ScopedWindowSystem installed{desktop};
    forms::FormPtr<server::frmSearch> form = forms::make_form<server::frmSearch>();
    std::map<std::string, std::vector<std::string>> answers;
    std::vector<std::string> searched;
    std::vector<std::string> zoomed;
};

TEST_F(SearchDialogTest, DesktopFindsTheShownDialogByItsTitle) {
    EXPECT_EQ(desktop.shown_form(k_search_dialog_title), nullptr);
    form->show(forms::Modality::modeless);
    EXPECT_EQ(desktop.shown_form("tolmserver search"), form.get());
    form->hide();
    EXPECT_EQ(desktop.shown_form(k_search_dialog_title), nullptr);
    form->show(forms::Modality::modeless);
    form->unload();
    EXPECT_EQ(desktop.shown_form(k_search_dialog_title), nullptr);
}

TEST_F(SearchDialogTest, RowsComeInTheListsOrderAndGoToZoomsToTheRowClicked) {
    answers["Trav"] = {"Travis, TX", "Traverse, MN"};
    const SearchOutcome outcome = search(4, "Trav", 2);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.kind, "County");
    EXPECT_EQ(outcome.typed, "Trav");
    EXPECT_EQ(searched, std::vector<std::string>{"4 Trav"});
    // The list is sorted, so the rows are not in the order the server added them.
    EXPECT_EQ(outcome.rows, (std::vector<std::string>{"Traverse, MN", "Travis, TX"}));
    EXPECT_FALSE(outcome.nothing_found);
    EXPECT_EQ(outcome.went_to, 2);
    EXPECT_EQ(zoomed, std::vector<std::string>{"Travis, TX"});
    // Close hides the dialog; the server keeps it loaded.
    EXPECT_FALSE(form->visible());
    EXPECT_TRUE(form->loaded());
}

TEST_F(SearchDialogTest, TextIsTypedKeyByKeyUnderTheKindsRules) {
    answers["W5ABC"] = {"W5ABC"};
    EXPECT_EQ(search(2, "w5abc").typed, "W5ABC");
    // The phone kind drops letters as they are typed: nothing is left to search for.
    const SearchOutcome phone = search(1, "abc");
    EXPECT_NE(phone.error.find("nothing to search for"), std::string::npos);
    EXPECT_EQ(searched, std::vector<std::string>{"2 W5ABC"});
    EXPECT_FALSE(form->visible());
    // A second search replaces the text of the first rather than adding to it.
    answers["TX"] = {"Texas"};
    EXPECT_EQ(search(3, "TX").rows, std::vector<std::string>{"Texas"});
}

TEST_F(SearchDialogTest, NothingFoundAndMissingRowsAreReportedNotClicked) {
    const SearchOutcome none = search(3, "Atlantis", 1);
    EXPECT_TRUE(none.nothing_found);
    EXPECT_EQ(none.rows, std::vector<std::string>{"Nothing found."});
    EXPECT_EQ(none.error, "--go-to 1: the search listed 0 rows");
    EXPECT_TRUE(zoomed.empty());

    answers["Utah"] = {"Utah"};
    const SearchOutcome short_list = search(3, "Utah", 3);
    EXPECT_EQ(short_list.error, "--go-to 3: the search listed 1 row");
    EXPECT_FALSE(form->visible());
}

TEST_F(SearchDialogTest, MessageBoxesOfTheDialogEndTheSearchWithoutRows) {
    desktop.answer_message_box(platform::message_box_result::ok);
    const SearchOutcome outcome = search(5, "TX,20");
    EXPECT_TRUE(outcome.rows.empty());
    EXPECT_EQ(outcome.error, "");
    ASSERT_EQ(desktop.message_boxes().size(), 1u);
    EXPECT_EQ(desktop.message_boxes()[0].text, "That format is incorrect, please read the help.");
    EXPECT_TRUE(searched.empty());
}

}  // namespace
}  // namespace tolm::cli
