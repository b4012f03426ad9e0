#include "tools/tolm/search_dialog.h"

#include "ui/forms/buttons.h"
#include "ui/forms/form.h"
#include "ui/forms/list_box.h"
#include "ui/forms/static_controls.h"
#include "ui/forms/text_box.h"
#include "tools/tolm/host_error.h"

#include <string>

namespace tolm::cli {

namespace {

template <typename T>
T& control(const forms::Form& form, std::string_view name, std::int32_t index = -1) {
    T* found = dynamic_cast<T*>(form.find_control(name, index));
    if (!found) {
        std::string what(name);
        if (index >= 0) what += "(" + std::to_string(index) + ")";
        throw HostError("the search dialog has no " + what);
    }
    return *found;
}

}  // namespace

SearchDialog::SearchDialog(forms::Form& form) : m_form(form), m_list(control<forms::ListBox>(form, "lstFind")) {
    control<forms::TextBox>(form, "txtFind");
}

forms::CommandButton& SearchDialog::button(std::string_view caption) const {
    for (forms::Control* candidate : m_form.controls()) {
        auto* found = dynamic_cast<forms::CommandButton*>(candidate);
        if (found && found->caption() == caption) return *found;
    }
    throw HostError("the search dialog has no \"" + std::string(caption) + "\" button");
}

void SearchDialog::press(std::string_view caption) const {
    if (!button(caption).click())
        throw HostError("the search dialog's \"" + std::string(caption) + "\" button cannot be pressed now");
}

void SearchDialog::find(int kind, std::string_view text) {
    auto& option = control<forms::OptionButton>(m_form, "optType", kind);
    if (!option.click()) throw HostError("the search dialog's kind \"" + option.caption() + "\" cannot be chosen");
    m_outcome = SearchOutcome{};
    m_outcome.kind = option.caption();

    auto& box = control<forms::TextBox>(m_form, "txtFind");
    // Whatever the box held from an earlier search goes first, as a user would clear it.
    box.set_text("");
    if (!box.type(text)) throw HostError("the search dialog's text box cannot be typed into");
    m_outcome.typed = box.text();
    // Find stays disabled while the box holds only blanks, as when a phone search drops every letter typed.
    if (!button("&Find").enabled())
        throw HostError("nothing to search for: the text box holds \"" + m_outcome.typed + "\" after typing");
    press("&Find");
    read_list();
}

void SearchDialog::read_list() {
    m_outcome.rows.clear();
    for (std::int32_t row = 0; row < m_list.list_count(); ++row) m_outcome.rows.push_back(m_list.list(row));
    m_outcome.nothing_found = !m_list.enabled() && m_outcome.rows.size() == 1;
    if (auto* label = dynamic_cast<forms::Label*>(m_form.find_control("ResultLbl"))) m_outcome.result = label->caption();
}

void SearchDialog::go_to(int row) {
    const int count = m_outcome.nothing_found ? 0 : static_cast<int>(m_outcome.rows.size());
    if (row < 1 || row > count)
        throw HostError("--go-to " + std::to_string(row) + ": the search listed " + std::to_string(count) +
                        (count == 1 ? " row" : " rows"));
    if (!m_list.click_row(row - 1)) throw HostError("row " + std::to_string(row) + " of the search cannot be clicked");
    press("&Go To");
    m_outcome.went_to = row;
}

void SearchDialog::close() { press("&Close"); }

SearchOutcome run_search(forms::Form& form, const SearchRequest& request) {
    SearchDialog dialog(form);
    std::string error;
    try {
        dialog.find(request.kind, request.text);
        if (request.go_to) dialog.go_to(*request.go_to);
    } catch (const HostError& e) {
        error = e.what();
    }
    try {
        dialog.close();
    } catch (const HostError& e) {
        if (error.empty()) error = e.what();
    }
    SearchOutcome outcome = dialog.outcome();
    outcome.error = error;
    return outcome;
}

}  // namespace tolm::cli
