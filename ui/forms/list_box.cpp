#include "ui/forms/list_box.h"

#include "ui/forms/form.h"
#include "ui/forms/keys.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <algorithm>

namespace tolm::forms {

ListBox::ListBox(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {}

void ListBox::set_sorted(bool sorted) {
    if (sorted && !m_rows.empty())
        throw RuntimeError(runtime_errors::property_read_only, name(), "'Sorted' property is read-only");
    m_sorted = sorted;
}

void ListBox::insert_row(std::int32_t position, std::string text) {
    m_rows.insert(m_rows.begin() + position, Row{std::move(text), 0, false});
    // The selection belongs to its row, so a row inserted above moves it down.
    if (m_list_index >= position) ++m_list_index;
    m_new_index = position;
    changed();
}

void ListBox::add_item(std::string text) {
    std::int32_t position = list_count();
    if (m_sorted) {
        const std::string key = to_lower_ascii(text);
        auto after = std::upper_bound(m_rows.begin(), m_rows.end(), key,
                                      [](const std::string& k, const Row& row) { return k < to_lower_ascii(row.text); });
        position = static_cast<std::int32_t>(after - m_rows.begin());
    }
    insert_row(position, std::move(text));
}

void ListBox::add_item(std::string text, std::int32_t position) {
    if (position < 0 || position > list_count()) raise_runtime_error(runtime_errors::invalid_procedure_call, name());
    insert_row(position, std::move(text));
}

void ListBox::check_row(std::int32_t row) const {
    if (row < 0 || row >= list_count()) raise_runtime_error(runtime_errors::invalid_property_array_index, name());
}

void ListBox::remove_item(std::int32_t row) {
    if (row < 0 || row >= list_count()) raise_runtime_error(runtime_errors::invalid_procedure_call, name());
    m_rows.erase(m_rows.begin() + row);
    if (m_list_index == row) {
        m_list_index = -1;
    } else if (m_list_index > row) {
        --m_list_index;
    }
    changed();
}

void ListBox::clear() {
    m_rows.clear();
    m_list_index = -1;
    m_new_index = -1;
    changed();
}

const std::string& ListBox::list(std::int32_t row) const {
    check_row(row);
    return m_rows[static_cast<std::size_t>(row)].text;
}

std::int32_t ListBox::item_data(std::int32_t row) const {
    check_row(row);
    return m_rows[static_cast<std::size_t>(row)].item_data;
}

void ListBox::set_item_data(std::int32_t row, std::int32_t data) {
    check_row(row);
    m_rows[static_cast<std::size_t>(row)].item_data = data;
}

void ListBox::set_list_index(std::int32_t row) {
    if (row < -1 || row >= list_count()) raise_runtime_error(runtime_errors::invalid_property_value, name());
    m_list_index = row;
    changed();
    if (row >= 0 && on_click) on_click();
}

std::string ListBox::text() const { return m_list_index >= 0 ? m_rows[static_cast<std::size_t>(m_list_index)].text : std::string{}; }

bool ListBox::checked(std::int32_t row) const {
    check_row(row);
    return m_rows[static_cast<std::size_t>(row)].checked;
}

void ListBox::set_checked(std::int32_t row, bool checked) {
    check_row(row);
    Row& target = m_rows[static_cast<std::size_t>(row)];
    if (target.checked == checked) return;
    target.checked = checked;
    changed();
    if (on_item_check) on_item_check(row);
}

void ListBox::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* list = dynamic_cast<const ListBox*>(&model)) {
        m_sorted = list->m_sorted;
        m_style = list->m_style;
    }
}

bool ListBox::click_row(std::int32_t row) {
    if (!usable() || row < 0 || row >= list_count()) return false;
    focus_by_user();
    set_list_index(row);
    if (m_style == Style::checkbox) set_checked(row, !checked(row));
    return true;
}

bool ListBox::double_click_row(std::int32_t row) {
    if (!click_row(row)) return false;
    if (on_dbl_click) on_dbl_click();
    return true;
}

bool ListBox::toggle_check(std::int32_t row) {
    if (!usable() || m_style != Style::checkbox || row < 0 || row >= list_count()) return false;
    focus_by_user();
    set_checked(row, !checked(row));
    return true;
}

void ListBox::default_key_down(std::int32_t key_code, std::int32_t) {
    if (m_rows.empty()) return;
    const std::int32_t last = list_count() - 1;
    std::int32_t row = m_list_index;
    switch (key_code) {
    case key::up: row = std::max(0, row - 1); break;
    case key::down: row = std::min(last, row + 1); break;
    case key::home: row = 0; break;
    case key::end: row = last; break;
    default: return;
    }
    if (row != m_list_index) set_list_index(row);
}

void ListBox::default_key_press(std::int32_t key_ascii) {
    if (key_ascii == key::space && m_style == Style::checkbox && m_list_index >= 0) {
        set_checked(m_list_index, !checked(m_list_index));
    }
}

}  // namespace tolm::forms
