#pragma once

#include "ui/forms/control.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolm::forms {

// A list box. A sorted list keeps its rows in case-insensitive alphabetical order, so callers that
// need to find their data again keep it in each row's ItemData. The check-box style shows a check
// box on every row.
class ListBox : public Control {
public:
    enum class Style { standard = 0, checkbox = 1 };

    ListBox(Form& form, std::string name, std::int32_t index = -1);

    // Design-time properties.
    bool sorted() const noexcept { return m_sorted; }
    void set_sorted(bool sorted);
    Style style() const noexcept { return m_style; }
    void set_style(Style style) { m_style = style; }

    // AddItem: the row's position is its sorted place, or the end of an unsorted list; NewIndex tells it.
    void add_item(std::string text);
    // AddItem with an explicit position (0 to ListCount); error 5 outside.
    void add_item(std::string text, std::int32_t position);
    void remove_item(std::int32_t row);
    void clear();

    std::int32_t list_count() const noexcept { return static_cast<std::int32_t>(m_rows.size()); }
    std::int32_t new_index() const noexcept { return m_new_index; }
    // List(row); error 381 outside the rows.
    const std::string& list(std::int32_t row) const;
    std::int32_t item_data(std::int32_t row) const;
    void set_item_data(std::int32_t row, std::int32_t data);

    // ListIndex: -1 for no selection. Setting it raises Click; error 380 outside -1 .. ListCount-1.
    std::int32_t list_index() const noexcept { return m_list_index; }
    void set_list_index(std::int32_t row);
    // The selected row's text, or empty.
    std::string text() const;

    // The check mark of a row in the check-box style; changing it raises ItemCheck.
    bool checked(std::int32_t row) const;
    void set_checked(std::int32_t row, bool checked);

    bool takes_focus() const noexcept override { return true; }
    void copy_design_properties(const Control& model) override;

    // User actions; each returns false when the list cannot be used (disabled, hidden) or the row does
    // not exist. A click selects the row; in the check-box style it also toggles the row's check box.
    bool click_row(std::int32_t row);
    bool double_click_row(std::int32_t row);
    // The user clicks only the row's check box.
    bool toggle_check(std::int32_t row);

    std::function<void()> on_click;
    std::function<void()> on_dbl_click;
    std::function<void(std::int32_t row)> on_item_check;

protected:
    void default_key_down(std::int32_t key_code, std::int32_t shift) override;
    void default_key_press(std::int32_t key_ascii) override;

private:
    struct Row {
        std::string text;
        std::int32_t item_data = 0;
        bool checked = false;
    };
    void insert_row(std::int32_t position, std::string text);
    void check_row(std::int32_t row) const;

    std::vector<Row> m_rows;
    bool m_sorted = false;
    Style m_style = Style::standard;
    std::int32_t m_list_index = -1;
    std::int32_t m_new_index = -1;
};

}  // namespace tolm::forms
