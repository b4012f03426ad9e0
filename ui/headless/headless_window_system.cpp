#include "ui/headless/headless_window_system.h"

#include "ui/forms/form.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace tolm::platform::headless {

namespace {

constexpr const char* k_source = "HeadlessWindowSystem";
// SHGetPathFromIDList fills a buffer of MAX_PATH characters; a longer path is no file-system path.
constexpr std::size_t k_max_path = 260;

std::vector<std::int32_t> buttons_of(std::uint32_t style) {
    namespace r = message_box_result;
    switch (style & message_box_style::buttons_mask) {
    case message_box_style::ok_cancel: return {r::ok, r::cancel};
    case message_box_style::abort_retry_ignore: return {r::abort, r::retry, r::ignore};
    case message_box_style::yes_no_cancel: return {r::yes, r::no, r::cancel};
    case message_box_style::yes_no: return {r::yes, r::no};
    case message_box_style::retry_cancel: return {r::retry, r::cancel};
    default: return {r::ok};
    }
}

bool is_separator(char c) { return c == '\\' || c == '/'; }

// The path as the shell reports a folder: no trailing separator, except at a root ("C:\", "\\", "/").
std::string shell_folder_path(std::string folder) {
    if (folder.size() == 2 && folder[1] == ':') folder.push_back('\\');
    while (folder.size() > 1 && is_separator(folder.back())) {
        const bool drive_root = folder.size() == 3 && folder[1] == ':';
        if (drive_root) break;
        folder.pop_back();
    }
    return folder;
}

bool is_directory(const std::string& path) {
    std::error_code error;
    const std::u8string utf8(path.begin(), path.end());
    return std::filesystem::is_directory(std::filesystem::path(utf8), error);
}

bool is_existing_file(const std::string& path) {
    std::error_code error;
    const std::u8string utf8(path.begin(), path.end());
    return std::filesystem::exists(std::filesystem::path(utf8), error);
}

std::string name_key(std::string_view name) { return to_upper_ascii(name); }

}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem(UnansweredPolicy policy) : m_policy(policy) {}

void HeadlessWindowSystem::unanswered(const std::string& what) {
    m_problems.push_back("no answer registered for " + what);
    throw RuntimeError(runtime_errors::invalid_procedure_call, k_source, "No answer registered for " + what);
}

void HeadlessWindowSystem::script_error(const std::string& what) {
    m_problems.push_back(what);
    throw RuntimeError(runtime_errors::invalid_procedure_call, k_source, what);
}

// ---- Answers ------------------------------------------------------------------------------------------

void HeadlessWindowSystem::answer_modal(const std::string& form_name, ModalScript script) {
    m_modal_answers[name_key(form_name)].push_back(std::move(script));
}

void HeadlessWindowSystem::answer_message_box(std::int32_t button) { m_message_box_answers.push_back(button); }

void HeadlessWindowSystem::answer_folder(const std::string& folder) {
    m_folder_answers.push_back(FolderAnswer{FolderAnswerKind::folder, folder});
}

void HeadlessWindowSystem::answer_folder_without_path() {
    m_folder_answers.push_back(FolderAnswer{FolderAnswerKind::no_path, {}});
}

void HeadlessWindowSystem::cancel_folder() { m_folder_answers.push_back(FolderAnswer{FolderAnswerKind::cancel, {}}); }

void HeadlessWindowSystem::answer_open_file(const std::string& path) { m_file_answers.emplace_back(path); }

void HeadlessWindowSystem::cancel_open_file() { m_file_answers.emplace_back(std::nullopt); }

bool HeadlessWindowSystem::all_answers_used() const {
    const bool forms_done = std::all_of(m_modal_answers.begin(), m_modal_answers.end(),
                                        [](const auto& entry) { return entry.second.empty(); });
    return forms_done && m_message_box_answers.empty() && m_folder_answers.empty() && m_file_answers.empty();
}

// ---- The desktop ----------------------------------------------------------------------------------------

WindowHandle HeadlessWindowSystem::add_top_level_window(const std::string& title) {
    const WindowHandle handle = next_handle();
    m_windows.push_back(TopLevel{handle, title, nullptr});
    return handle;
}

void HeadlessWindowSystem::remove_top_level_window(WindowHandle window) {
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [window](const TopLevel& top) { return top.handle == window; }),
                    m_windows.end());
}

std::optional<std::string> HeadlessWindowSystem::window_title(WindowHandle window) const {
    for (const TopLevel& top : m_windows) {
        if (top.handle == window) return top.title;
    }
    return std::nullopt;
}

WindowHandle HeadlessWindowSystem::find_window(const std::string& title) {
    // The platform compares window titles without regard to case.
    for (const TopLevel& top : m_windows) {
        if (equals_ignoring_case(top.title, title)) return top.handle;
    }
    return 0;
}

// ---- Forms ----------------------------------------------------------------------------------------------

WindowHandle HeadlessWindowSystem::create_form_window(forms::Form& form) {
    const WindowHandle handle = next_handle();
    m_windows.push_back(TopLevel{handle, form.caption(), &form});
    return handle;
}

void HeadlessWindowSystem::destroy_form_window(forms::Form& form) {
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [&form](const TopLevel& top) { return top.form == &form; }),
                    m_windows.end());
}

void HeadlessWindowSystem::show_form_window(forms::Form&, bool, WindowHandle) {}

void HeadlessWindowSystem::model_changed(forms::Form& form, const forms::Control* control) {
    if (control) return;
    for (TopLevel& top : m_windows) {
        if (top.form == &form) top.title = form.caption();
    }
}

void HeadlessWindowSystem::run_modal(forms::Form& form, WindowHandle owner) {
    m_modal_forms.push_back(ModalRecord{form.name(), form.caption(), owner, m_modal_depth + 1});
    auto& queue = m_modal_answers[name_key(form.name())];
    if (queue.empty()) {
        if (m_policy == UnansweredPolicy::fail) unanswered("modal form '" + form.name() + "'");
        form.close_from_window_menu();
        if (form.loaded() && form.visible()) {
            script_error("modal form '" + form.name() + "' refused to close from its window menu");
        }
        return;
    }
    ModalScript script = std::move(queue.front());
    queue.pop_front();
    ++m_modal_depth;
    try {
        script(form);
    } catch (...) {
        --m_modal_depth;
        throw;
    }
    --m_modal_depth;
    // A real modal loop would still be running: the user's script must end with the form closed.
    if (form.loaded() && form.visible()) script_error("the script for modal form '" + form.name() + "' left it open");
}

// ---- System dialogs ---------------------------------------------------------------------------------------

std::int32_t HeadlessWindowSystem::message_box(const MessageBoxRequest& request) {
    MessageBoxRecord record{request.owner, request.text, request.title, request.style, 0};
    const std::vector<std::int32_t> buttons = buttons_of(request.style);
    if (m_message_box_answers.empty()) {
        m_message_boxes.push_back(record);
        if (m_policy == UnansweredPolicy::fail) unanswered("message box \"" + request.text + "\"");
        std::size_t default_index = (request.style & message_box_style::default_button_mask) >> 8;
        if (default_index >= buttons.size()) default_index = 0;
        m_message_boxes.back().answer = buttons[default_index];
        return buttons[default_index];
    }
    const std::int32_t answer = m_message_box_answers.front();
    m_message_box_answers.pop_front();
    record.answer = answer;
    m_message_boxes.push_back(record);
    if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
        script_error("message box \"" + request.text + "\" has no button " + std::to_string(answer));
    }
    return answer;
}

FolderBrowseAnswer HeadlessWindowSystem::browse_for_folder(const FolderBrowseRequest& request) {
    FolderDialogRecord record;
    record.owner = request.owner;
    record.dialog = next_handle();
    record.title = request.title;
    record.flags = request.flags;
    record.had_callback = request.callback != nullptr;
    m_open_folder_dialog = record;
    if (request.callback) request.callback(record.dialog, BFFM_INITIALIZED, 0, request.callback_data);
    record = *m_open_folder_dialog;
    m_open_folder_dialog.reset();

    if (m_folder_answers.empty()) {
        m_folder_dialogs.push_back(record);
        if (m_policy == UnansweredPolicy::fail) unanswered("folder dialog \"" + request.title + "\"");
        return std::nullopt;
    }
    const FolderAnswer answer = m_folder_answers.front();
    m_folder_answers.pop_front();
    switch (answer.kind) {
    case FolderAnswerKind::cancel: record.answer = std::nullopt; break;
    case FolderAnswerKind::no_path: record.answer = std::string{}; break;
    case FolderAnswerKind::folder: {
        std::string path = shell_folder_path(answer.folder);
        record.answer = path.size() < k_max_path ? path : std::string{};
        break;
    }
    }
    m_folder_dialogs.push_back(record);
    return record.answer;
}

std::intptr_t HeadlessWindowSystem::send_message(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                                 std::intptr_t lparam) {
    if (!m_open_folder_dialog || window != m_open_folder_dialog->dialog) return 0;
    if (message == BFFM_SETSELECTIONA && wparam != 0 && lparam != 0) {
        // The shell ignores a folder that does not exist and opens at its usual place.
        const std::string path = ansi_to_utf8(reinterpret_cast<const char*>(lparam));
        if (is_directory(path)) m_open_folder_dialog->initial_selection = path;
    }
    return 0;
}

std::optional<std::string> HeadlessWindowSystem::open_file(const OpenFileRequest& request) {
    FileDialogRecord record{request, std::nullopt};
    if (m_file_answers.empty()) {
        m_file_dialogs.push_back(record);
        if (m_policy == UnansweredPolicy::fail) unanswered("open-file dialog \"" + request.title + "\"");
        return std::nullopt;
    }
    record.answer = m_file_answers.front();
    m_file_answers.pop_front();
    m_file_dialogs.push_back(record);
    if (record.answer && (request.flags & open_file_flags::file_must_exist) && !is_existing_file(*record.answer)) {
        // The dialog itself refuses a missing file when the caller asks for an existing one.
        script_error("open-file dialog \"" + request.title + "\" requires an existing file, not " + *record.answer);
    }
    return record.answer;
}

void HeadlessWindowSystem::win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command,
                                    std::uintptr_t data) {
    m_help_calls.push_back(HelpCall{owner, help_file, command, data});
    if (command == HELP_QUIT) {
        m_help_open = false;
    } else {
        m_help_open = true;
    }
}

}  // namespace tolm::platform::headless
