#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A window system without windows. A test (or the command-line host) registers the answers in
// advance: for each modal form a script that acts on it as a user would and closes it, for each
// message box the button to press, for each folder or file dialog the path to return or a cancel.
// Everything shown is recorded, so a test can check texts, titles, icons, owners and flags.
namespace tolm::platform::headless {

// What happens when something is shown that has no registered answer.
enum class UnansweredPolicy {
    fail,            // a run-time error naming what was shown: the default for tests
    default_answer,  // message boxes press their default button, dialogs cancel, modal forms are closed
};

struct MessageBoxRecord {
    WindowHandle owner = 0;
    std::string text;
    std::string title;
    std::uint32_t style = 0;
    std::int32_t answer = 0;

    std::uint32_t buttons() const noexcept { return style & message_box_style::buttons_mask; }
    std::uint32_t icon() const noexcept { return style & message_box_style::icon_mask; }
};

struct FolderDialogRecord {
    WindowHandle owner = 0;
    WindowHandle dialog = 0;
    std::string title;
    std::uint32_t flags = 0;
    bool had_callback = false;
    // The folder selected when the dialog opened (set through BFFM_SETSELECTIONA), if any.
    std::optional<std::string> initial_selection;
    FolderBrowseAnswer answer;
};

struct FileDialogRecord {
    OpenFileRequest request;
    std::optional<std::string> answer;
};

struct HelpCall {
    WindowHandle owner = 0;
    std::string help_file;
    std::uint32_t command = 0;
    std::uintptr_t data = 0;
};

struct ModalRecord {
    std::string form_name;
    std::string caption;
    WindowHandle owner = 0;
    int depth = 0;  // 1 for a modal form shown from no modal form, 2 inside one, ...
};

class HeadlessWindowSystem : public WindowSystem {
public:
    using ModalScript = std::function<void(forms::Form&)>;

    explicit HeadlessWindowSystem(UnansweredPolicy policy = UnansweredPolicy::fail);

    // ---- Answers, used in the order registered --------------------------------------------------
    // The next modal Show of the form named form_name runs the script, which must leave it hidden or
    // unloaded.
    void answer_modal(const std::string& form_name, ModalScript script);
    void answer_message_box(std::int32_t button);
    // The user picks this folder. The answer is the path the shell would report for it: a trailing
    // separator is dropped except at a drive or file-system root.
    void answer_folder(const std::string& folder);
    // The user picks an item that is not a file-system folder (such as the computer itself).
    void answer_folder_without_path();
    void cancel_folder();
    void answer_open_file(const std::string& path);
    void cancel_open_file();
    // True when every registered answer has been used.
    bool all_answers_used() const;

    // ---- The desktop --------------------------------------------------------------------------------
    // A top-level window of another program (the client's main window, for example).
    WindowHandle add_top_level_window(const std::string& title);
    void remove_top_level_window(WindowHandle window);
    void set_screen_metrics(const ScreenMetrics& metrics) { m_screen = metrics; }
    // The title of a window this system knows (forms included), or nothing.
    std::optional<std::string> window_title(WindowHandle window) const;

    // ---- What was shown -------------------------------------------------------------------------------
    const std::vector<MessageBoxRecord>& message_boxes() const noexcept { return m_message_boxes; }
    const std::vector<FolderDialogRecord>& folder_dialogs() const noexcept { return m_folder_dialogs; }
    const std::vector<FileDialogRecord>& file_dialogs() const noexcept { return m_file_dialogs; }
    const std::vector<HelpCall>& help_calls() const noexcept { return m_help_calls; }
    const std::vector<ModalRecord>& modal_forms() const noexcept { return m_modal_forms; }
    // Every pointer set, in order.
    const std::vector<std::int32_t>& mouse_pointers() const noexcept { return m_mouse_pointers; }
    // What went wrong with the answers: a dialog without an answer, a script that left its form open,
    // a button the message box does not have... Also kept when the caller swallowed the error.
    const std::vector<std::string>& problems() const noexcept { return m_problems; }
    // True between a WinHelp call that opens a topic and HELP_QUIT.
    bool help_window_open() const noexcept { return m_help_open; }

    // ---- WindowSystem ---------------------------------------------------------------------------------
    WindowHandle create_form_window(forms::Form& form) override;
    void destroy_form_window(forms::Form& form) override;
    void show_form_window(forms::Form& form, bool visible, WindowHandle owner) override;
    void run_modal(forms::Form& form, WindowHandle owner) override;
    void model_changed(forms::Form& form, const forms::Control* control) override;
    std::int32_t message_box(const MessageBoxRequest& request) override;
    FolderBrowseAnswer browse_for_folder(const FolderBrowseRequest& request) override;
    std::optional<std::string> open_file(const OpenFileRequest& request) override;
    std::intptr_t send_message(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                               std::intptr_t lparam) override;
    WindowHandle find_window(const std::string& title) override;
    ScreenMetrics screen_metrics() override { return m_screen; }
    void set_mouse_pointer(std::int32_t pointer) override { m_mouse_pointers.push_back(pointer); }
    void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command,
                  std::uintptr_t data) override;

private:
    struct TopLevel {
        WindowHandle handle;
        std::string title;
        forms::Form* form;  // null for other programs' windows
    };
    enum class FolderAnswerKind { folder, no_path, cancel };
    struct FolderAnswer {
        FolderAnswerKind kind;
        std::string folder;
    };

    WindowHandle next_handle() { return m_next_handle += 4; }
    [[noreturn]] void unanswered(const std::string& what);
    [[noreturn]] void script_error(const std::string& what);

    UnansweredPolicy m_policy;
    ScreenMetrics m_screen;
    WindowHandle m_next_handle = 0x10000;
    std::vector<TopLevel> m_windows;
    std::map<std::string, std::deque<ModalScript>> m_modal_answers;  // by upper-case form name
    std::deque<std::int32_t> m_message_box_answers;
    std::deque<FolderAnswer> m_folder_answers;
    std::deque<std::optional<std::string>> m_file_answers;
    std::vector<MessageBoxRecord> m_message_boxes;
    std::vector<FolderDialogRecord> m_folder_dialogs;
    std::vector<FileDialogRecord> m_file_dialogs;
    std::vector<HelpCall> m_help_calls;
    std::vector<ModalRecord> m_modal_forms;
    std::vector<std::int32_t> m_mouse_pointers;
    std::vector<std::string> m_problems;
    int m_modal_depth = 0;
    bool m_help_open = false;
    // The folder dialog being shown, which BFFM_SETSELECTIONA addresses.
    std::optional<FolderDialogRecord> m_open_folder_dialog;
};

}  // namespace tolm::platform::headless
