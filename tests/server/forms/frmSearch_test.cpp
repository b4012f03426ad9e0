#include "server/forms/frmSearch.h"

#include "ui/forms/keys.h"
#include "ui/headless/headless_fixture.h"
#include "platform/module_info.h"
#include "platform/profile.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

namespace style = platform::message_box_style;

// The dialog remembers its kind in the settings file beside the running module.
std::string settings_file() {
    return platform::module_folder() + platform::path_separator() + platform::module_base_name() + ".INI";
}

class SearchDialog : public testing::HeadlessTest {
protected:
    SearchDialog() {
        std::filesystem::remove(settings_file());
        form->Find = [this](std::string& text, std::int16_t& kind) {
            searches.push_back({text, kind});
            for (const auto& row : answer(text)) form->AddToList(row);
        };
        form->ZoomToFind = [this](std::string& title, double& x, double& y, bool& place, double& x2, double& y2,
                                  double& line, bool& line_is_lat) {
            zooms.push_back({title, x, y, place, x2, y2, line, line_is_lat});
        };
    }
    ~SearchDialog() override { std::filesystem::remove(settings_file()); }

    void open() { form->show(forms::Modality::modeless); }
    void find(const std::string& text) {
        form->txtFind.set_text(text);
        form->cmdFind.click();
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < form->lstFind.list_count(); ++i) out.push_back(form->lstFind.list(i));
        return out;
    }
    std::string saved_kind() const {
        char buffer[16] = {};
        platform::profile::get_string("SETUP", "SEARCH_TYPE", "none", buffer, sizeof buffer, settings_file());
        return buffer;
    }

    struct Search {
        std::string text;
        std::int16_t kind;
    };
    std::function<std::vector<FindResult>(const std::string&)> answer = [](const std::string&) {
        return std::vector<FindResult>{};
    };
    std::vector<Search> searches;
    std::vector<FindResult> zooms;
    forms::FormPtr<frmSearch> form = forms::make_form<frmSearch>();
};

TEST_F(SearchDialog, LayoutOfTheDialog) {
    open();
    EXPECT_EQ(form->caption(), "TolmServer Search");
    EXPECT_FALSE(form->max_button());
    EXPECT_TRUE(form->min_button());
    EXPECT_EQ(form->help_context_id(), 40);
    EXPECT_EQ(form->optType[5].caption(), "Mile Marker");
    EXPECT_EQ(form->optType[0].container(), &form->Frame1);
    EXPECT_EQ(form->txtFind.left(), 240);
    EXPECT_EQ(form->lstFind.height(), 1815);
    EXPECT_EQ(form->cmdCancel.caption(), "&Close");
    std::vector<std::string> order;
    for (auto* control : form->tab_order())
        if (control->tab_index() < 5) order.push_back(control->name());
    EXPECT_EQ(order, (std::vector<std::string>{"txtFind", "cmdFind", "lstFind", "cmdOk", "cmdCancel"}));
    EXPECT_FALSE(form->cmdFind.enabled());
    EXPECT_FALSE(form->cmdOk.enabled());
    EXPECT_TRUE(form->lstFind.sorted());
}

TEST_F(SearchDialog, FirstOpeningUsesTheAddressKindAndTheKindIsRemembered) {
    open();
    EXPECT_EQ(form->mintFindType(), FIND_ADDRESS);
    EXPECT_TRUE(form->optType[0].value());
    EXPECT_EQ(form->labPrompt.caption(),
              "Input Street Address, Place, State, Zip separated by commas. Any of the fields can be omitted.");
    EXPECT_EQ(form->txtFind.max_length(), 80);

    form->optType[4].click();
    form->cmdCancel.click();
    EXPECT_FALSE(form->visible());
    EXPECT_EQ(saved_kind(), "4");

    auto next = forms::make_form<frmSearch>();
    next->show();
    EXPECT_EQ(next->mintFindType(), FIND_COUNTY);
    EXPECT_TRUE(next->optType[4].value());
    EXPECT_EQ(next->txtFind.max_length(), 80);
}

TEST_F(SearchDialog, ChangingTheKindChecksTheText) {
    open();
    form->txtFind.set_text("12ab");
    form->optType[FIND_PHONE].click();
    EXPECT_EQ(form->txtFind.text(), "");
    EXPECT_EQ(form->txtFind.max_length(), 6);
    form->optType[FIND_ADDRESS].click();
    form->txtFind.set_text("512345");
    form->optType[FIND_PHONE].click();
    EXPECT_EQ(form->txtFind.text(), "512345");

    form->txtFind.set_text("Travis, TX");
    form->optType[FIND_STATE].click();
    EXPECT_EQ(form->txtFind.text(), "");

    form->txtFind.set_text("ab1cd-9");
    form->optType[FIND_CALLSIGN].click();
    EXPECT_EQ(form->txtFind.text(), "AB1CD-9");
    form->txtFind.set_text("ab1cd-1234");  // ten characters: too long for a callsign
    form->optType[FIND_ADDRESS].click();
    form->optType[FIND_CALLSIGN].click();
    EXPECT_EQ(form->txtFind.text(), "");

    form->txtFind.set_text("TX, 20,100");
    form->optType[FIND_MILEMARKER].click();
    EXPECT_EQ(form->txtFind.text(), "");
    form->txtFind.set_text("TX,20,100");
    form->optType[FIND_COUNTY].click();
    form->optType[FIND_MILEMARKER].click();
    EXPECT_EQ(form->txtFind.text(), "TX,20,100");
    EXPECT_EQ(form->txtFind.max_length(), 40);
}

TEST_F(SearchDialog, TypingRulesOfPhoneAndCallsign) {
    open();
    form->optType[FIND_PHONE].click();
    form->txtFind.type("5a1-2\b3");
    EXPECT_EQ(form->txtFind.text(), "513");
    form->txtFind.set_text("");
    form->optType[FIND_CALLSIGN].click();
    form->txtFind.type("w5xyz-1");
    EXPECT_EQ(form->txtFind.text(), "W5XYZ-1");
    EXPECT_TRUE(form->cmdFind.enabled());
    form->txtFind.set_text("   ");
    EXPECT_FALSE(form->cmdFind.enabled());
}

TEST_F(SearchDialog, WildcardAndFormatMessages) {
    open();
    desktop.answer_message_box(platform::message_box_result::ok);
    find("*main");
    desktop.answer_message_box(platform::message_box_result::ok);
    find("?main");
    ASSERT_EQ(desktop.message_boxes().size(), 2u);
    EXPECT_EQ(desktop.message_boxes()[0].text, "The first character of the search text cannot be a wildcard.");
    EXPECT_EQ(desktop.message_boxes()[0].icon(), style::information);
    EXPECT_TRUE(searches.empty());
    find("fo?o");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0].text, "fo?o");

    form->txtFind.set_text("");
    form->optType[FIND_MILEMARKER].click();
    form->txtFind.set_text("TX, 20, 100");  // typed after choosing the kind
    desktop.answer_message_box(platform::message_box_result::ok);
    form->cmdFind.click();
    ASSERT_EQ(desktop.message_boxes().size(), 3u);
    EXPECT_EQ(desktop.message_boxes()[2].text, "That format is incorrect, please read the help.");
    EXPECT_EQ(searches.size(), 1u);
    find("TX,20,");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[1].kind, FIND_MILEMARKER);
    EXPECT_TRUE(desktop.all_answers_used());
}

TEST_F(SearchDialog, NothingFoundDisablesTheList) {
    open();
    form->txtFind.type("nowhere\r");
    EXPECT_EQ(searches.size(), 1u);
    EXPECT_EQ(rows(), std::vector<std::string>{"Nothing found."});
    EXPECT_FALSE(form->lstFind.enabled());
    EXPECT_FALSE(form->cmdOk.enabled());
    EXPECT_FALSE(form->lstFind.double_click_row(0));
    EXPECT_TRUE(zooms.empty());
    EXPECT_EQ(form->txtFind.text(), "nowhere");  // Enter never reaches the text
}

TEST_F(SearchDialog, GoToFindsTheResultBehindTheSortedRow) {
    answer = [](const std::string&) {
        return std::vector<FindResult>{
            {"Zephyr", -99.0, 31.0, true, 0, 0, 0, false},  // a place at index 0: item data 9999999
            {"Austin", -97.7, 30.3, false, 0, 0, 0, false},
            {"Mile", -106.6, 36.5, false, -93.5, 25.8, -104.0, false},
            {"baker", -95.0, 29.0, true, 0, 0, 0, false},
        };
    };
    open();
    find("x");
    EXPECT_EQ(rows(), (std::vector<std::string>{"Austin", "baker", "Mile", "Zephyr"}));
    EXPECT_EQ(form->lstFind.list_index(), 0);
    EXPECT_TRUE(form->cmdOk.enabled());
    EXPECT_EQ(form->lstFind.item_data(3), 9999999);
    EXPECT_EQ(form->lstFind.item_data(1), -3);

    form->lstFind.click_row(3);
    form->cmdOk.click();
    form->lstFind.double_click_row(2);
    form->lstFind.click_row(1);
    form->press_key(forms::key::enter);
    ASSERT_EQ(zooms.size(), 3u);
    EXPECT_EQ(zooms[0], (FindResult{"Zephyr", -99.0, 31.0, true, 0, 0, 0, false}));
    EXPECT_EQ(zooms[1], (FindResult{"Mile", -106.6, 36.5, false, -93.5, 25.8, -104.0, false}));
    EXPECT_EQ(zooms[2], (FindResult{"baker", -95.0, 29.0, true, 0, 0, 0, false}));
    EXPECT_TRUE(form->visible());
    EXPECT_EQ(rows().size(), 4u);
}

TEST_F(SearchDialog, TwoPartTextIsRefinedByItsFirstPart) {
    answer = [](const std::string& text) {
        if (text == "Austin, TX") return std::vector<FindResult>{{"Austin, TX", -97.70, 30.30, true, 0, 0, 0, false}};
        return std::vector<FindResult>{{"Austin, MN", -92.97, 43.67, true, 0, 0, 0, false},
                                       {"Austin, TX", -97.74, 30.27, true, 0, 0, 0, false}};
    };
    open();
    find("Austin, TX");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[1].text, "Austin");
    EXPECT_EQ(rows(), std::vector<std::string>{"Austin, TX"});
    form->cmdOk.click();
    ASSERT_EQ(zooms.size(), 1u);
    EXPECT_DOUBLE_EQ(zooms[0].dblLong, -97.74);
    EXPECT_DOUBLE_EQ(zooms[0].dblLat, 30.27);
    EXPECT_TRUE(zooms[0].blnIsPlace);

    // A second part that is no state abbreviation is not refined.
    find("Austin, Texas");
    EXPECT_EQ(searches.size(), 3u);
}

TEST_F(SearchDialog, ClosingFromTheTitleBarOnlyHides) {
    open();
    int unloading = 0;
    form->ImUnloading = [&] { ++unloading; };
    form->optType[FIND_STATE].click();
    form->txtFind.set_text("TX");
    EXPECT_FALSE(form->close_from_window_menu());
    EXPECT_TRUE(form->loaded());
    EXPECT_FALSE(form->visible());
    EXPECT_EQ(saved_kind(), "3");
    EXPECT_EQ(unloading, 0);
    open();
    EXPECT_EQ(form->txtFind.text(), "TX");
    EXPECT_TRUE(form->unload());
    EXPECT_EQ(unloading, 1);
}

TEST(SearchDialogHelpers, MileMarkerFormatAndItemData) {
    EXPECT_TRUE(IsMileMarkerFormat("TX,20,100"));
    EXPECT_TRUE(IsMileMarkerFormat("TX,20,"));
    EXPECT_TRUE(IsMileMarkerFormat(" T X,20A,5"));
    EXPECT_FALSE(IsMileMarkerFormat("TX, 20,100"));
    EXPECT_FALSE(IsMileMarkerFormat("TX,20,1 00"));
    EXPECT_FALSE(IsMileMarkerFormat("TX,20"));
    EXPECT_FALSE(IsMileMarkerFormat("TX,20,100,1"));
    std::int32_t index = -1;
    bool place = false;
    frmSearch::decode_item_data(frmSearch::encode_item_data(0, true), index, place);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(place);
    frmSearch::decode_item_data(frmSearch::encode_item_data(0, false), index, place);
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(place);
    frmSearch::decode_item_data(frmSearch::encode_item_data(7, true), index, place);
    EXPECT_EQ(index, 7);
    EXPECT_TRUE(place);
}

}  // namespace
}  // namespace tolm::server
