#pragma once

#include "ui/forms/control_array.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tolm::forms {

class Form;

// A menu item: on the form's menu bar or inside another item. The caption "-" makes a separator; "&"
// marks the access key ("&&" is a literal "&").
class Menu {
public:
    // An item on the form's menu bar.
    Menu(Form& form, std::string name, std::string caption, std::int32_t index = -1, const Menu* after = nullptr);
    // An item inside parent, placed after `after` (or last when null).
    Menu(Menu& parent, std::string name, std::string caption, std::int32_t index = -1, const Menu* after = nullptr);
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    ~Menu();

    Form& form() const noexcept { return m_form; }
    Menu* parent() const noexcept { return m_parent; }
    const std::string& name() const noexcept { return m_name; }
    std::int32_t index() const noexcept { return m_index; }
    // The items inside this one, in menu order.
    const std::vector<Menu*>& items() const noexcept { return m_items; }

    const std::string& caption() const noexcept { return m_caption; }
    void set_caption(std::string caption);
    bool is_separator() const noexcept { return m_caption == "-"; }
    // The access key in upper case, or 0.
    char access_key() const noexcept;
    // The caption as shown, without the access-key marks.
    std::string display_caption() const;

    bool checked() const noexcept { return m_checked; }
    void set_checked(bool checked);
    bool enabled() const noexcept { return m_enabled; }
    void set_enabled(bool enabled);
    bool visible() const noexcept { return m_visible; }
    void set_visible(bool visible);

    // Copies caption, check mark and enabled state for a loaded menu-array element.
    void copy_design_properties(const Menu& model);

    // The user picks the item: every item above it must be enabled and visible and the form shown.
    // Items with a submenu raise Click as they open. Returns false when the item could not be picked.
    bool click();
    // Keyboard choice among this item's visible items by access key; null when none matches.
    Menu* item_by_access_key(char key) const;

    std::function<void()> on_click;

private:
    void changed();

    Form& m_form;
    Menu* m_parent = nullptr;
    std::string m_name;
    std::int32_t m_index;
    std::string m_caption;
    bool m_checked = false;
    bool m_enabled = true;
    bool m_visible = true;
    std::vector<Menu*> m_items;
};

// Menu control arrays, as the client's special-options menu uses: elements loaded later follow the
// last element in their parent's menu.
ControlArray<Menu> menu_array(Menu& parent, std::string name, std::string caption,
                              std::initializer_list<std::int32_t> design_indexes);
ControlArray<Menu> menu_array(Form& form, std::string name, std::string caption,
                              std::initializer_list<std::int32_t> design_indexes);

}  // namespace tolm::forms
