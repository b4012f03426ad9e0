#include "ui/forms/buttons.h"
#include "ui/forms/control_array.h"
#include "ui/forms/dialogs.h"
#include "ui/forms/form.h"
#include "ui/forms/keys.h"
#include "ui/forms/list_box.h"
#include "ui/forms/menu.h"
#include "ui/forms/screen.h"
#include "ui/forms/static_controls.h"
#include "ui/forms/text_box.h"
#include "ui/headless/headless_fixture.h"
#include "platform/runtime_error.h"
#include "platform/app.h"
#include "ui/desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolm::forms {
namespace {

namespace mb = platform::message_box_style;

// A small modal dialog opened from inside another modal dialog: Escape is seen by the form first
// and acts as OK, the way the server's about box works.
class NoteDialog : public Form {
public:
    NoteDialog() : Form("frmNote") {
        set_caption("Note");
        set_key_preview(true);
        cmdOk.set_caption("&Ok");
        cmdOk.on_click = [this] { unload(); };
        on_key_press = [this](std::int32_t& key_ascii) {
            if (key_ascii == key::escape) {
                key_ascii = 0;
                cmdOk.press_from_code();
            }
        };
    }
    CommandButton cmdOk{*this, "cmdOk"};
};

// A dialog with every kind of control and a menu, shaped like the server's dialogs: an option array
// in a frame, a prompt, a text box whose keys are filtered, buttons, a sorted list with item data, a
// picture, a menu with a check item, and a child dialog.
class SampleDialog : public Form {
public:
    SampleDialog() : Form("frmSample") {
        set_caption("Sample Search");
        set_border_style(BorderStyle::fixed_single);
        set_max_button(false);
        set_help_context_id(40);
        Frame1.set_caption("Search type");
        optKind[0].set_caption("Letters");
        optKind[1].set_caption("Digits");
        optKind.for_each([this](OptionButton& button) { button.set_container(Frame1); });
        optKind.wire([this](OptionButton& button) {
            button.on_click = [this, &button] { kind_clicked(button.index()); };
        });
        txtFind.set_tab_index(0);
        cmdFind.set_tab_index(1);
        lstFind.set_tab_index(2);
        cmdGo.set_tab_index(3);
        cmdClose.set_tab_index(4);
        lstFind.set_sorted(true);
        cmdFind.set_caption("&Find");
        cmdFind.set_enabled(false);
        cmdGo.set_caption("&Go To");
        cmdGo.set_enabled(false);
        cmdClose.set_caption("&Close");
        cmdClose.set_cancel(true);

        txtFind.on_key_press = [this](std::int32_t& key_ascii) {
            if (key_ascii == key::enter) {
                key_ascii = 0;
                find();
            } else if (m_kind == 1 && key_ascii >= 32 && (key_ascii < '0' || key_ascii > '9')) {
                key_ascii = 0;
            } else if (m_kind == 0 && key_ascii >= 'a' && key_ascii <= 'z') {
                key_ascii -= 32;
            }
        };
        txtFind.on_change = [this] { cmdFind.set_enabled(!txtFind.text().empty()); };
        txtFind.on_got_focus = [] { select_all_in_active_control(); };
        cmdFind.on_click = [this] { find(); };
        cmdGo.on_click = [this] { go(); };
        lstFind.on_dbl_click = [this] { go(); };
        lstFind.on_key_press = [this](std::int32_t& key_ascii) {
            if (key_ascii == key::enter) go();
        };
        cmdClose.on_click = [this] { hide(); };
        mnuNote.on_click = [this] {
            auto note = make_form<NoteDialog>();
            note->show(Modality::modal, *this);
        };
        mnuSticky.on_click = [this] { mnuSticky.set_checked(!mnuSticky.checked()); };
        on_load = [this] { optKind[0].set_value(true); };
        on_query_unload = [this](bool& cancel, UnloadMode mode) {
            unload_modes.push_back(mode);
            if (mode == UnloadMode::form_control_menu) {
                cancel = true;
                hide();
            }
        };
    }

    void kind_clicked(std::int32_t kind) {
        m_kind = kind;
        labPrompt.set_caption(kind == 0 ? "Type letters" : "Type digits");
    }

    void find() {
        if (txtFind.text().empty()) return;
        if (txtFind.text().front() == '*') {
            message_box("The first character of the search text cannot be a wildcard.", mb::information);
            return;
        }
        lstFind.clear();
        const std::vector<std::string> found = {"delta", "Alpha", "charlie", "Bravo"};
        for (std::size_t i = 0; i < found.size(); ++i) {
            lstFind.add_item(found[i]);
            lstFind.set_item_data(lstFind.new_index(), static_cast<std::int32_t>(i));
        }
        lstFind.set_list_index(0);
        lstFind.set_focus();
        cmdGo.set_enabled(true);
    }

    void go() {
        if (lstFind.list_index() < 0) return;
        chosen.push_back(lstFind.item_data(lstFind.list_index()));
    }

    Label Label1{*this, "Label1"};
    Frame Frame1{*this, "Frame1"};
    ControlArray<OptionButton> optKind{*this, "optKind", {0, 1}};
    Label labPrompt{*this, "labPrompt"};
    TextBox txtFind{*this, "txtFind"};
    CommandButton cmdFind{*this, "cmdFind"};
    ListBox lstFind{*this, "lstFind"};
    CommandButton cmdGo{*this, "cmdGo"};
    CommandButton cmdClose{*this, "cmdClose"};
    PictureBox picLogo{*this, "picLogo"};
    Menu mnuFile{*this, "mnuFile", "&File"};
    Menu mnuNote{mnuFile, "mnuNote", "&Note..."};
    Menu mnuBar{mnuFile, "mnuBar", "-"};
    Menu mnuSticky{mnuFile, "mnuSticky", "&Sticky"};

    std::int32_t m_kind = -1;
    std::vector<std::int32_t> chosen;
    std::vector<UnloadMode> unload_modes;
};

class FormTest : public testing::HeadlessTest {};

TEST_F(FormTest, EveryControlKindDrivenAsAUserWould) {
    auto dialog = make_form<SampleDialog>();
    SampleDialog& d = *dialog;
    d.show(Modality::modeless);

    // Load selected the first kind through its Click; the focus went to the first control in tab order.
    EXPECT_TRUE(d.optKind[0].value());
    EXPECT_EQ(d.labPrompt.caption(), "Type letters");
    EXPECT_EQ(screen::active_form(), &d);
    EXPECT_EQ(screen::active_control(), &d.txtFind);

    // Key by key: letters are upper-cased by KeyPress; Find follows the text.
    EXPECT_FALSE(d.cmdFind.enabled());
    d.txtFind.type("ab");
    EXPECT_EQ(d.txtFind.text(), "AB");
    EXPECT_TRUE(d.cmdFind.enabled());
    d.press_key(key::back);
    d.press_key(key::back);
    EXPECT_EQ(d.txtFind.text(), "");
    EXPECT_FALSE(d.cmdFind.enabled());

    // The digits kind swallows letters. Clicking a disabled button does nothing.
    EXPECT_TRUE(d.optKind[1].click());
    EXPECT_FALSE(d.optKind[0].value());
    EXPECT_EQ(d.labPrompt.caption(), "Type digits");
    d.txtFind.type("4x2y");
    EXPECT_EQ(d.txtFind.text(), "42");

    // Enter in the text box runs Find and never reaches the text; rows are sorted case-insensitively
    // and keep their item data.
    d.txtFind.type("\r");
    EXPECT_EQ(d.txtFind.text(), "42");
    ASSERT_EQ(d.lstFind.list_count(), 4);
    EXPECT_EQ(d.lstFind.list(0), "Alpha");
    EXPECT_EQ(d.lstFind.list(1), "Bravo");
    EXPECT_EQ(d.lstFind.list(2), "charlie");
    EXPECT_EQ(d.lstFind.list(3), "delta");
    EXPECT_EQ(screen::active_control(), &d.lstFind);

    // Enter in the list and a double-click both go to the chosen row's own result.
    d.press_key(key::down);
    d.press_key(key::enter);
    EXPECT_TRUE(d.lstFind.double_click_row(3));
    EXPECT_EQ(d.chosen, (std::vector<std::int32_t>{3, 0}));

    // Menus: a check item toggles, the separator cannot be picked.
    EXPECT_TRUE(d.mnuSticky.click());
    EXPECT_TRUE(d.mnuSticky.checked());
    EXPECT_FALSE(d.mnuBar.click());

    // Escape reaches the cancel button, which only hides the dialog.
    d.press_key(key::escape);
    EXPECT_FALSE(d.visible());
    EXPECT_TRUE(d.loaded());
    EXPECT_EQ(screen::active_form(), nullptr);
    EXPECT_TRUE(desktop.problems().empty());
}

TEST_F(FormTest, ModalDialogInsideAModalDialogWithAMessageBox) {
    auto dialog = make_form<SampleDialog>();
    desktop.answer_modal("frmSample", [](Form& form) {
        auto& d = dynamic_cast<SampleDialog&>(form);
        d.txtFind.type("*x");
        d.cmdFind.click();  // refused with a message box
        EXPECT_EQ(d.lstFind.list_count(), 0);
        d.mnuNote.click();  // opens the note modally inside this modal dialog
        EXPECT_EQ(screen::active_form(), &d);
        d.close_from_window_menu();  // the dialog hides itself and cancels the unload
    });
    desktop.answer_message_box(platform::message_box_result::ok);
    desktop.answer_modal("frmNote", [this](Form& form) {
        EXPECT_EQ(form.caption(), "Note");
        EXPECT_EQ(desktop.modal_forms().back().depth, 2);
        form.press_key(key::escape);  // KeyPreview: Escape acts as Ok, which unloads the note
        EXPECT_FALSE(form.loaded());
    });

    dialog->show(Modality::modal);

    ASSERT_EQ(desktop.modal_forms().size(), 2u);
    EXPECT_EQ(desktop.modal_forms()[0].form_name, "frmSample");
    EXPECT_EQ(desktop.modal_forms()[0].depth, 1);
    EXPECT_EQ(desktop.modal_forms()[1].form_name, "frmNote");
    EXPECT_EQ(desktop.modal_forms()[1].owner, dialog->hwnd());

    ASSERT_EQ(desktop.message_boxes().size(), 1u);
    const auto& box = desktop.message_boxes()[0];
    EXPECT_EQ(box.text, "The first character of the search text cannot be a wildcard.");
    EXPECT_EQ(box.title, platform::app_title());
    EXPECT_EQ(box.icon(), mb::information);
    EXPECT_EQ(box.buttons(), mb::ok_only);
    EXPECT_EQ(box.owner, dialog->hwnd());

    EXPECT_FALSE(dialog->visible());
    EXPECT_TRUE(dialog->loaded());
    EXPECT_EQ(dialog->unload_modes, std::vector<UnloadMode>{UnloadMode::form_control_menu});
    EXPECT_FALSE(dialog->showing_modal());
    EXPECT_TRUE(desktop.all_answers_used());
    EXPECT_TRUE(desktop.problems().empty());
}

TEST_F(FormTest, ModalScriptThatLeavesItsFormOpenIsReported) {
    SampleDialog d;
    desktop.answer_modal("frmSample", [](Form&) {});
    EXPECT_THROW(d.show(Modality::modal), RuntimeError);
    EXPECT_FALSE(d.showing_modal());
    ASSERT_EQ(desktop.problems().size(), 1u);

    // Showing an already visible form modally is the runtime's error 400.
    try {
        d.show(Modality::modal);
        FAIL() << "expected error 400";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 400);
    }
}

TEST_F(FormTest, UnloadModesCancellationAndTerminate) {
    std::vector<std::string> events;
    {
        auto d = make_form<SampleDialog>();
        d->on_unload = [&](bool&) { events.push_back("unload"); };
        d->on_terminate = [&] { events.push_back("terminate"); };
        d->show();
        // From the title bar the dialog hides itself and stays loaded.
        EXPECT_FALSE(d->close_from_window_menu());
        EXPECT_TRUE(d->loaded());
        EXPECT_FALSE(d->visible());
        // From code the unload goes through, and the window leaves the desktop.
        const auto window = d->hwnd();
        EXPECT_TRUE(d->unload());
        EXPECT_FALSE(d->loaded());
        EXPECT_FALSE(desktop.window_title(window).has_value());
        EXPECT_EQ(d->unload_modes, (std::vector<UnloadMode>{UnloadMode::form_control_menu, UnloadMode::form_code}));
        // Releasing a loaded form unloads it before Terminate.
        d->show();
    }
    EXPECT_EQ(events, (std::vector<std::string>{"unload", "unload", "terminate"}));
}

TEST_F(FormTest, TabOrderSkipsWhatCannotTakeTheFocus) {
    SampleDialog d;
    d.show();
    EXPECT_EQ(d.active_control(), &d.txtFind);
    // cmdFind and cmdGo are disabled, labels and frames never take the focus.
    d.press_key(key::tab);
    EXPECT_EQ(d.active_control(), &d.lstFind);
    d.press_key(key::tab);
    EXPECT_EQ(d.active_control(), &d.cmdClose);
    d.press_key(key::tab, shift_state::shift);
    EXPECT_EQ(d.active_control(), &d.lstFind);

    // Disabling the control with the focus passes the focus on.
    d.lstFind.set_enabled(false);
    EXPECT_NE(d.active_control(), &d.lstFind);

    // SetFocus on a control that cannot take it is error 5.
    try {
        d.cmdGo.set_focus();
        FAIL() << "expected error 5";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 5);
    }
    d.hide();
    EXPECT_THROW(d.txtFind.set_focus(), RuntimeError);
    // A hidden form takes no keys.
    EXPECT_FALSE(d.press_key(key::enter));
    EXPECT_FALSE(d.cmdClose.click());
}

TEST_F(FormTest, DefaultButtonTakesEnterUnlessAButtonHasTheFocus) {
    Form form("frmPlain");
    TextBox txt(form, "txt");
    CommandButton ok(form, "cmdOk");
    CommandButton other(form, "cmdOther");
    std::vector<std::string> clicks;
    ok.on_click = [&] { clicks.push_back("ok"); };
    other.on_click = [&] { clicks.push_back("other"); };
    std::vector<std::int32_t> key_presses;
    txt.on_key_press = [&](std::int32_t& k) { key_presses.push_back(k); };
    ok.set_default(true);
    form.show();

    form.press_key(key::enter);  // the default button answers; the text box sees no key
    EXPECT_TRUE(key_presses.empty());
    other.set_focus();
    form.press_key(key::enter);  // the focused button answers instead
    form.press_key(key::space);
    EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "other", "other"}));

    // Without a cancel button Escape is an ordinary key.
    txt.set_focus();
    form.press_key(key::escape);
    EXPECT_EQ(key_presses, std::vector<std::int32_t>{key::escape});
    EXPECT_EQ(txt.text(), "");
}

TEST_F(FormTest, F1OpensTheHelpAtTheContextOfTheControlOrTheForm) {
    SampleDialog d;
    d.show();
    d.press_key(key::f1);
    EXPECT_TRUE(desktop.help_calls().empty());  // no help file set yet

    platform::set_app_help_file("/opt/help/server.hlp");
    d.press_key(key::f1);
    d.txtFind.set_help_context_id(41);
    d.press_key(key::f1);
    platform::set_app_help_file("");

    ASSERT_EQ(desktop.help_calls().size(), 2u);
    EXPECT_EQ(desktop.help_calls()[0].command, platform::HELP_CONTEXT);
    EXPECT_EQ(desktop.help_calls()[0].data, 40u);
    EXPECT_EQ(desktop.help_calls()[0].owner, d.hwnd());
    EXPECT_EQ(desktop.help_calls()[1].data, 41u);
}

TEST_F(FormTest, GeometryAndWindowState) {
    SampleDialog d;
    d.move(100, 200, 4800, 3600);
    d.move((screen::width() - d.width()) / 2, (screen::height() - d.height()) / 2);
    EXPECT_EQ(d.left(), (1024 * 15 - 4800) / 2);
    EXPECT_EQ(d.top(), (768 * 15 - 3600) / 2);
    d.show();
    d.set_window_state(WindowState::minimized);
    // A minimised window cannot be moved: restore it first.
    EXPECT_THROW(d.move(0, 0), RuntimeError);
    d.set_window_state(WindowState::normal);
    EXPECT_NO_THROW(d.move(0, 0));

    // The caption is the title the desktop finds the window by.
    d.set_caption("Renamed");
    EXPECT_EQ(platform::find_window_by_title("Renamed"), d.hwnd());
}

TEST_F(FormTest, ControlArraysLoadAndUnloadElements) {
    SampleDialog d;
    OptionButton& loaded = d.optKind.load(2);
    EXPECT_EQ(loaded.caption(), "Letters");  // copied from the lowest element
    EXPECT_FALSE(loaded.visible());
    EXPECT_EQ(loaded.container(), &d.Frame1);
    EXPECT_EQ(loaded.tab_index(), static_cast<std::int32_t>(d.controls().size()) - 1);
    // The array's wiring reaches loaded elements too.
    d.show();
    loaded.set_visible(true);
    loaded.click();
    EXPECT_EQ(d.m_kind, 2);
    EXPECT_FALSE(d.optKind[0].value());

    auto error_number = [](auto&& action) {
        try {
            action();
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(error_number([&] { d.optKind.load(2); }), 360);
    EXPECT_EQ(error_number([&] { d.optKind.unload(0); }), 362);
    EXPECT_EQ(error_number([&] { d.optKind[9]; }), 340);
    d.optKind.unload(2);
    EXPECT_EQ(error_number([&] { d.optKind.unload(2); }), 340);
    EXPECT_EQ(d.find_control("OPTKIND", 2), nullptr);
    EXPECT_EQ(d.find_control("optkind", 1), &d.optKind[1]);
}


// A desktop that cannot make windows (no interactive desktop, its heap exhausted).
class WindowlessDesktop : public platform::headless::HeadlessWindowSystem {
public:
    WindowlessDesktop() : HeadlessWindowSystem(platform::headless::UnansweredPolicy::fail) {}
    platform::WindowHandle create_form_window(Form& form) override {
        throw RuntimeError(runtime_errors::invalid_procedure_call, form.name(), "Cannot create the window");
    }
};

TEST(FormWithoutWindow, OnlyAFormThatAllowsItGoesOnWithoutItsWindow) {
    WindowlessDesktop desktop;
    platform::ScopedWindowSystem installed{desktop};

    Form dialog("frmDialog");
    EXPECT_THROW(dialog.load(), RuntimeError);
    EXPECT_FALSE(dialog.loaded());

    Form host("frmHost");
    host.set_works_without_window(true);
    bool loaded = false;
    host.on_load = [&] { loaded = true; };
    host.load();
    EXPECT_TRUE(loaded);
    EXPECT_EQ(host.hwnd(), platform::WindowHandle{0});
    host.show();
    EXPECT_TRUE(host.visible());
    host.hide();
    EXPECT_TRUE(host.unload());
}

}  // namespace
}  // namespace tolm::forms
