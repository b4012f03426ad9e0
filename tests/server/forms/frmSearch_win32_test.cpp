#ifdef _WIN32

// The search dialog on the real desktop, used through its window as a user uses it: found by its
// caption, typed into with WM_CHAR, clicked with BM_CLICK. Runs under Wine.
#include "server/forms/frmSearch.h"

#include "platform/app.h"
#include "platform/module_info.h"
#include "platform/profile.h"
#include "ui/current_window_system.h"
#include "ui/win32/dialog_driver.h"
#include "ui/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tolm::server {
namespace {

using tolm::test::find_child;
using tolm::test::text_of;

std::string settings_file() {
    return platform::module_folder() + platform::path_separator() + platform::module_base_name() + ".INI";
}

class SearchWindow : public ::testing::Test {
protected:
    SearchWindow() {
        std::filesystem::remove(settings_file());
        form->Find = [this](std::string& text, std::int16_t& kind) {
            searches.push_back(text);
            kinds.push_back(kind);
            if (text.rfind("Austin", 0) == 0) {
                form->AddToList(FindResult{"Austin, TX 78701", -97.74, 30.27, false, 0, 0, 0, false});
                form->AddToList(FindResult{"Austin, MN 55912", -92.97, 43.67, true, 0, 0, 0, false});
            }
        };
        form->ZoomToFind = [this](std::string& title, double& x, double& y, bool& place, double&, double&, double&,
                                  bool&) { zooms.push_back(FindResult{title, x, y, place, 0, 0, 0, false}); };
    }
    ~SearchWindow() override {
        form.reset();
        std::filesystem::remove(settings_file());
        tolm::test::pump_messages();
    }

    HWND open() {
        form->show(forms::Modality::modeless);
        tolm::test::pump_messages();
        return FindWindowA(nullptr, "TolmServer Search");
    }
    static void click(HWND button) {
        SendMessageA(button, BM_CLICK, 0, 0);
        tolm::test::pump_messages();
    }
    static std::vector<std::string> rows(HWND list) {
        std::vector<std::string> out;
        const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[256] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }

    platform::win32::Win32WindowSystem desktop;
    platform::ScopedWindowSystem installed{desktop};
    forms::FormPtr<frmSearch> form = forms::make_form<frmSearch>();
    std::vector<std::string> searches;
    std::vector<std::int16_t> kinds;
    std::vector<FindResult> zooms;
};

TEST_F(SearchWindow, EveryKindOfSearchFromItsOptionButton) {
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    ASSERT_NE(find_child(dialog, "Button", "Search type"), nullptr);

    struct Kind {
        const char* caption;
        const char* prompt_start;
    };
    const std::vector<Kind> kinds_shown{{"Address", "Input Street Address"}, {"Phone", "Input the area code"},
                                        {"Callsign", "Input a callsign"},    {"State", "Input a state name"},
                                        {"County", "Input County"},          {"Mile Marker", "Input State, Interstate"}};
    for (std::size_t i = 0; i < kinds_shown.size(); ++i) {
        HWND option = find_child(dialog, "Button", kinds_shown[i].caption);
        ASSERT_NE(option, nullptr) << kinds_shown[i].caption;
        click(option);
        EXPECT_EQ(form->mintFindType(), static_cast<std::int16_t>(i));
        EXPECT_EQ(SendMessageA(option, BM_GETCHECK, 0, 0), BST_CHECKED);
        // What the dialog's labels read now.
        const std::string labels = tolm::test::message_box_text(dialog);
        EXPECT_NE(labels.find(kinds_shown[i].prompt_start), std::string::npos) << labels;
    }

    // The phone search takes digits only, the callsign search upper case.
    click(find_child(dialog, "Button", "Phone"));
    HWND edit = find_child(dialog, "Edit");
    tolm::test::type_chars(edit, "51a2x9");
    EXPECT_EQ(text_of(edit), "5129");
    click(find_child(dialog, "Button", "Callsign"));
    // The user selects everything and types over it.
    SendMessageA(edit, EM_SETSEL, 0, -1);
    tolm::test::press_key(edit, VK_BACK, '\b');
    EXPECT_EQ(text_of(edit), "");
    tolm::test::type_chars(edit, "n0call");
    EXPECT_EQ(text_of(edit), "N0CALL");
}

TEST_F(SearchWindow, ASearchItsRowsGoToAndClose) {
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    click(find_child(dialog, "Button", "Address"));
    HWND edit = find_child(dialog, "Edit");
    HWND find = find_child(dialog, "Button", "&Find");
    HWND go_to = find_child(dialog, "Button", "&Go To");
    HWND close = find_child(dialog, "Button", "&Close");
    HWND list = find_child(dialog, "ListBox");
    ASSERT_TRUE(edit && find && go_to && close && list);
    EXPECT_FALSE(IsWindowEnabled(find)) << "nothing to search for yet";
    EXPECT_FALSE(IsWindowEnabled(go_to));

    tolm::test::type_chars(edit, "Austin, TX");
    EXPECT_TRUE(IsWindowEnabled(find));
    click(find);
    ASSERT_FALSE(searches.empty());
    EXPECT_EQ(searches[0], "Austin, TX");
    EXPECT_EQ(rows(list), (std::vector<std::string>{"Austin, MN 55912", "Austin, TX 78701"})) << "sorted";
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0) << "the first row is chosen";
    EXPECT_TRUE(IsWindowEnabled(go_to));

    // The user picks the second row with the mouse and goes there.
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 3, item.top + 3));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 3, item.top + 3));
    click(go_to);
    ASSERT_EQ(zooms.size(), 1u);
    EXPECT_EQ(zooms[0].strTitle, "Austin, TX 78701");
    EXPECT_DOUBLE_EQ(zooms[0].dblLong, -97.74);

    // Enter in the text searches again; nothing found disables the list.
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    tolm::test::type_chars(edit, "Nowhere");
    tolm::test::press_key(edit, VK_RETURN, '\r');
    EXPECT_EQ(searches.back(), "Nowhere");
    EXPECT_EQ(rows(list), (std::vector<std::string>{"Nothing found."}));
    EXPECT_FALSE(IsWindowEnabled(list));

    click(close);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(form->loaded()) << "Close only hides the dialog";
}

TEST_F(SearchWindow, TheTitleBarCloseHidesAndAWildcardIsExplained) {
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    HWND edit = find_child(dialog, "Edit");
    tolm::test::type_chars(edit, "*stin");
    tolm::test::DialogDriver driver;
    std::vector<std::string> texts;
    driver.when_titled(platform::app_title(), tolm::test::DialogDriver::press(IDOK, &texts));
    click(find_child(dialog, "Button", "&Find"));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("cannot be a wildcard"), std::string::npos);
    EXPECT_TRUE(searches.empty());

    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    tolm::test::pump_messages();
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(IsWindow(dialog)) << "QueryUnload keeps the dialog for the next search";
    open();
    EXPECT_TRUE(IsWindowVisible(dialog));
}

}  // namespace
}  // namespace tolm::server

#endif
