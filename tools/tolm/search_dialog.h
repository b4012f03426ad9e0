#pragma once

#include "tools/tolm/options.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolm::forms {
class CommandButton;
class Form;
class ListBox;
}  // namespace tolm::forms

// The server's search dialog used as a user would: a click on the kind button, the text typed key by
// key, a press of Find, the rows read as the list shows them, a click on a row and a press of Go To,
// and Close. Only what the user sees is used: controls by their names on the form, buttons by their
// captions.
namespace tolm::cli {

// The title of the server's search dialog.
inline constexpr const char* k_search_dialog_title = "TolmServer Search";

struct SearchOutcome {
    std::string kind;               // the caption of the kind button clicked
    std::string typed;              // what the text box holds after typing
    std::vector<std::string> rows;  // the list, top to bottom
    bool nothing_found = false;     // the list shows only its "Nothing found." row and is disabled
    std::string result;             // the dialog's result label
    std::optional<int> went_to;     // the row (from 1) shown on the map
    std::string error;              // why the search stopped short, or empty
};

class SearchDialog {
public:
    // Throws HostError when the form lacks a control the search needs.
    explicit SearchDialog(forms::Form& form);

    // Picks the kind, types the text and presses Find.
    void find(int kind, std::string_view text);
    // Clicks the row (from 1) and presses Go To.
    void go_to(int row);
    // Presses Close.
    void close();

    const SearchOutcome& outcome() const noexcept { return m_outcome; }

private:
    forms::CommandButton& button(std::string_view caption) const;
    void press(std::string_view caption) const;
    void read_list();

    forms::Form& m_form;
    forms::ListBox& m_list;
    SearchOutcome m_outcome;
};

// The whole search of one run: find, go to the row asked for, close. The dialog is closed however the
// search ends (the server keeps it loaded for the next search); what stopped it is in the outcome's
// error. Throws only when the form is not a search dialog at all.
SearchOutcome run_search(forms::Form& form, const SearchRequest& request);

}  // namespace tolm::cli
