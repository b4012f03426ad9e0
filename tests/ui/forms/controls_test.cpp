#include "ui/forms/buttons.h"
#include "ui/forms/form.h"
#include "ui/forms/keys.h"
#include "ui/forms/list_box.h"
#include "ui/forms/menu.h"
#include "ui/forms/screen.h"
#include "ui/forms/static_controls.h"
#include "ui/forms/text_box.h"
#include "ui/headless/headless_fixture.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolm::forms {
namespace {

std::int32_t error_number(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

class ControlsTest : public testing::HeadlessTest {
protected:
    Form form{"frmTest"};
};

TEST_F(ControlsTest, TextBoxTypingHonoursMaxLengthSelectionAndBackspace) {
    TextBox box(form, "txt");
    int changes = 0;
    box.on_change = [&] { ++changes; };
    box.set_max_length(4);
    form.show();

    box.type("abcdef");  // the box refuses keys beyond its limit
    EXPECT_EQ(box.text(), "abcd");
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(box.sel_start(), 4);

    // Typing over a selection replaces it, also when the box is full.
    box.set_sel_start(1);
    box.set_sel_length(2);
    EXPECT_EQ(box.sel_text(), "bc");
    box.type("X");
    EXPECT_EQ(box.text(), "aXd");
    EXPECT_EQ(box.sel_start(), 2);

    form.press_key(key::back);
    EXPECT_EQ(box.text(), "ad");
    form.press_key(key::home);
    form.press_key(key::back);  // nothing before the caret
    form.press_key(key::del);
    EXPECT_EQ(box.text(), "d");

    // Code may set a longer text than MaxLength; lowering MaxLength keeps the text.
    box.set_text("longer text");
    EXPECT_EQ(box.text(), "longer text");
    EXPECT_EQ(box.sel_start(), 0);
    const int before = changes;
    box.set_text("longer text");
    EXPECT_EQ(changes, before);  // the same text is no change
    EXPECT_EQ(error_number([&] { box.set_max_length(-1); }), 380);
}

TEST_F(ControlsTest, SelectionIsCutToTheTextAndSelectAllUsesIt) {
    TextBox box(form, "txt");
    box.set_text("Austin, TX");
    box.set_sel_start(50);
    EXPECT_EQ(box.sel_start(), 10);
    box.set_sel_start(3);
    box.set_sel_length(32767);
    EXPECT_EQ(box.sel_length(), 7);
    EXPECT_EQ(error_number([&] { box.set_sel_start(-1); }), 380);

    // With no active form nothing happens; with the box focused its whole text is selected.
    select_all_in_active_control();
    form.show();
    EXPECT_EQ(screen::active_control(), &box);
    box.set_sel_start(2);
    select_all_in_active_control();
    EXPECT_EQ(box.sel_start(), 0);
    EXPECT_EQ(box.sel_length(), 10);

    // A button with the focus has no text: ignored.
    CommandButton button(form, "cmd");
    button.set_focus();
    select_all_in_active_control();
}

TEST_F(ControlsTest, KeyPressCanChangeOrSwallowKeysAndKeyPreviewComesFirst) {
    TextBox box(form, "txt");
    std::vector<std::string> order;
    form.set_key_preview(true);
    form.on_key_press = [&](std::int32_t& k) {
        order.push_back("form");
        if (k == '!') k = 0;
    };
    box.on_key_press = [&](std::int32_t& k) {
        order.push_back("box");
        if (k >= 'a' && k <= 'z') k -= 32;
        if (k == '#') k = 0;
    };
    form.show();
    box.type("a!b#");
    EXPECT_EQ(box.text(), "AB");
    EXPECT_EQ(order, (std::vector<std::string>{"form", "box", "form", "form", "box", "form", "box"}));

    // A locked box takes keys through its events but never changes.
    box.set_locked(true);
    box.type("c");
    EXPECT_EQ(box.text(), "AB");
}

TEST_F(ControlsTest, TextOutsideAsciiCountsCharactersNotBytes) {
    TextBox box(form, "txt");
    box.set_max_length(3);
    form.show();
    box.type("Pé");  // é arrives as the ANSI key code 233
    box.type("ñx");
    EXPECT_EQ(box.text(), "Péñ");
    box.set_sel_start(1);
    box.set_sel_length(1);
    EXPECT_EQ(box.sel_text(), "é");
}

TEST_F(ControlsTest, OptionButtonsFormOneGroupPerContainer) {
    Frame frame(form, "Frame1");
    OptionButton a(form, "optA");
    OptionButton b(form, "optB");
    OptionButton outside(form, "optOutside");
    a.set_container(frame);
    b.set_container(frame);
    std::vector<std::string> clicks;
    a.on_click = [&] { clicks.push_back("a"); };
    b.on_click = [&] { clicks.push_back("b"); };

    outside.set_value(true);
    a.set_value(true);
    b.set_value(true);
    EXPECT_FALSE(a.value());
    EXPECT_TRUE(b.value());
    EXPECT_TRUE(outside.value());  // another container, another group
    b.set_value(true);             // already selected: no Click from code
    EXPECT_EQ(clicks, (std::vector<std::string>{"a", "b"}));

    // A disabled frame disables what it holds.
    form.show();
    frame.set_enabled(false);
    EXPECT_FALSE(a.click());
    EXPECT_FALSE(a.can_receive_focus());
    frame.set_enabled(true);
    EXPECT_TRUE(a.click());
    EXPECT_TRUE(a.click());  // the user's click is reported again
    EXPECT_EQ(clicks.size(), 4u);
}

TEST_F(ControlsTest, SortedListKeepsItemDataAndSelectionWithTheirRows) {
    ListBox list(form, "lst");
    list.set_sorted(true);
    const char* texts[] = {"main st", "Elm St", "MAIN AVE", "elm st", "Oak"};
    for (std::int32_t i = 0; i < 5; ++i) {
        list.add_item(texts[i]);
        list.set_item_data(list.new_index(), i == 0 ? 9999999 : -i);
    }
    std::vector<std::string> rows;
    for (std::int32_t r = 0; r < list.list_count(); ++r) rows.push_back(list.list(r));
    // Case-insensitive order; equal texts keep the order they came in.
    EXPECT_EQ(rows, (std::vector<std::string>{"Elm St", "elm st", "MAIN AVE", "main st", "Oak"}));
    EXPECT_EQ(list.item_data(3), 9999999);
    EXPECT_EQ(list.item_data(0), -1);

    list.set_list_index(3);
    list.add_item("Apple");  // lands above the selection, which moves down with its row
    EXPECT_EQ(list.list_index(), 4);
    EXPECT_EQ(list.text(), "main st");
    list.remove_item(0);
    EXPECT_EQ(list.text(), "main st");

    EXPECT_EQ(error_number([&] { list.set_list_index(99); }), 380);
    EXPECT_EQ(error_number([&] { list.list(99); }), 381);
    EXPECT_EQ(error_number([&] { list.set_sorted(false); list.set_sorted(true); }), 383);
    list.clear();
    EXPECT_EQ(list.list_index(), -1);
    EXPECT_EQ(list.list_count(), 0);
}

TEST_F(ControlsTest, DisabledListIgnoresTheUser) {
    ListBox list(form, "lst");
    int clicks = 0;
    int double_clicks = 0;
    list.on_click = [&] { ++clicks; };
    list.on_dbl_click = [&] { ++double_clicks; };
    list.add_item("Nothing found.");
    form.show();
    list.set_enabled(false);
    EXPECT_FALSE(list.click_row(0));
    EXPECT_FALSE(list.double_click_row(0));
    EXPECT_EQ(clicks + double_clicks, 0);
    list.set_enabled(true);
    EXPECT_FALSE(list.click_row(1));  // no such row
    EXPECT_TRUE(list.double_click_row(0));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(double_clicks, 1);
}

TEST_F(ControlsTest, CheckBoxListCanKeepOneEntryChecked) {
    ListBox list(form, "lstOvl");
    list.set_sorted(true);
    list.set_style(ListBox::Style::checkbox);
    for (const char* name : {"ROADS.OVR", "lakes.ovr", "Trails.OVR"}) list.add_item(name);
    std::vector<std::int32_t> checks;
    // The chooser's rule: checking one entry unchecks the others.
    list.on_item_check = [&](std::int32_t row) {
        checks.push_back(row);
        if (!list.checked(row)) return;
        for (std::int32_t other = 0; other < list.list_count(); ++other) {
            if (other != row) list.set_checked(other, false);
        }
    };
    form.show();
    EXPECT_TRUE(list.toggle_check(1));  // ROADS.OVR
    EXPECT_TRUE(list.click_row(2));     // Trails.OVR: selects and checks
    EXPECT_FALSE(list.checked(1));
    EXPECT_TRUE(list.checked(2));
    form.press_key(key::space);  // the focused row's box
    EXPECT_FALSE(list.checked(2));
    EXPECT_EQ(checks, (std::vector<std::int32_t>{1, 2, 1, 2}));
}

TEST_F(ControlsTest, NestedMenusAccessKeysAndEnabledParents) {
    Menu options(form, "mnuOptions", "&Options");
    Menu paths(options, "mnuDataPaths", "&Kartovex Data Paths");
    Menu data1(paths, "mnuData1", "Data&1");
    Menu bar(options, "mnuBar1", "-");
    Menu mono(options, "mnuMonochromeMaps", "&Monochrome Maps");
    Menu amp(options, "mnuAmp", "Fish && &Chips");
    int data1_clicks = 0;
    data1.on_click = [&] { ++data1_clicks; };
    mono.on_click = [&] { mono.set_checked(!mono.checked()); };

    EXPECT_FALSE(mono.click());  // the form is not shown
    form.show();
    EXPECT_EQ(options.access_key(), 'O');
    EXPECT_EQ(data1.access_key(), '1');
    EXPECT_EQ(amp.access_key(), 'C');
    EXPECT_EQ(amp.display_caption(), "Fish & Chips");
    EXPECT_TRUE(bar.is_separator());
    EXPECT_EQ(options.item_by_access_key('m'), &mono);
    EXPECT_EQ(form.find_menu("MNUDATA1"), &data1);

    EXPECT_TRUE(mono.click());
    EXPECT_TRUE(mono.checked());
    options.set_enabled(false);  // a disabled menu keeps everything below it out of reach
    EXPECT_FALSE(data1.click());
    EXPECT_FALSE(mono.click());
    options.set_enabled(true);
    paths.set_visible(false);
    EXPECT_FALSE(data1.click());
    paths.set_visible(true);
    EXPECT_TRUE(data1.click());
    EXPECT_EQ(data1_clicks, 1);
    EXPECT_TRUE(mono.checked());
}

TEST_F(ControlsTest, MenuArrayElementsLoadAfterTheLastAndUnload) {
    Menu map(form, "mnuMap", "&Map");
    Menu before(map, "mnuBefore", "Before");
    auto special = menu_array(map, "mnuMapSpecialOptions", "&Special", {0});
    Menu after(map, "mnuAfter", "After");
    special[0].set_enabled(false);

    Menu& search = special.load(1);
    search.set_caption("Search");
    special.load(2).set_caption("Hide marker line");
    EXPECT_TRUE(search.visible());
    EXPECT_FALSE(search.enabled());  // copied from element 0

    std::vector<std::string> captions;
    for (const Menu* item : map.items()) captions.push_back(item->caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"Before", "&Special", "Search", "Hide marker line", "After"}));
    EXPECT_EQ(form.find_menu("mnuMapSpecialOptions", 2), &special[2]);

    special.unload(1);
    special.unload(2);
    EXPECT_EQ(map.items().size(), 3u);
    EXPECT_EQ(error_number([&] { special.unload(3); }), 340);
    EXPECT_EQ(error_number([&] { special.unload(0); }), 362);
}

TEST_F(ControlsTest, PictureBoxScalesToPixels) {
    PictureBox picture(form, "picMap");
    picture.move(0, 0, 4500, 2535);
    EXPECT_DOUBLE_EQ(picture.scale_width(), 4500);
    picture.set_scale_mode(3);
    EXPECT_DOUBLE_EQ(picture.scale_width(), 300);
    EXPECT_DOUBLE_EQ(picture.scale_height(), 169);
    EXPECT_EQ(error_number([&] { picture.set_scale_mode(7); }), 380);
}

TEST_F(ControlsTest, MousePointerIsRecorded) {
    screen::set_mouse_pointer(platform::mouse_pointer::hourglass);
    EXPECT_EQ(screen::mouse_pointer(), platform::mouse_pointer::hourglass);
    screen::set_mouse_pointer(platform::mouse_pointer::default_pointer);
    EXPECT_EQ(desktop.mouse_pointers(),
              (std::vector<std::int32_t>{platform::mouse_pointer::hourglass, platform::mouse_pointer::default_pointer}));
}

}  // namespace
}  // namespace tolm::forms
