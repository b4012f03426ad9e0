#include "ui/forms/menu.h"

#include "ui/forms/form.h"

#include <algorithm>
#include <cctype>

namespace tolm::forms {

Menu::Menu(Form& form, std::string name, std::string caption, std::int32_t index, const Menu* after)
    : m_form(form), m_name(std::move(name)), m_index(index), m_caption(std::move(caption)) {
    m_form.register_menu(*this, after);
}

Menu::Menu(Menu& parent, std::string name, std::string caption, std::int32_t index, const Menu* after)
    : m_form(parent.m_form), m_parent(&parent), m_name(std::move(name)), m_index(index), m_caption(std::move(caption)) {
    auto position = after ? std::find(parent.m_items.begin(), parent.m_items.end(), after) : parent.m_items.end();
    if (position != parent.m_items.end()) ++position;
    parent.m_items.insert(position, this);
    parent.changed();
}

Menu::~Menu() {
    // Items inside go with their parent; they no longer point back to it.
    for (Menu* item : m_items) item->m_parent = nullptr;
    if (m_parent) {
        auto& siblings = m_parent->m_items;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        m_parent->changed();
    } else {
        m_form.unregister_menu(*this);
    }
}

void Menu::set_caption(std::string caption) {
    m_caption = std::move(caption);
    changed();
}

char Menu::access_key() const noexcept {
    for (std::size_t i = 0; i + 1 < m_caption.size(); ++i) {
        if (m_caption[i] != '&') continue;
        if (m_caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(m_caption[i + 1])));
    }
    return 0;
}

std::string Menu::display_caption() const {
    std::string shown;
    for (std::size_t i = 0; i < m_caption.size(); ++i) {
        if (m_caption[i] == '&' && i + 1 < m_caption.size()) ++i;
        shown.push_back(m_caption[i]);
    }
    return shown;
}

void Menu::set_checked(bool checked) {
    m_checked = checked;
    changed();
}

void Menu::set_enabled(bool enabled) {
    m_enabled = enabled;
    changed();
}

void Menu::set_visible(bool visible) {
    m_visible = visible;
    changed();
}

void Menu::copy_design_properties(const Menu& model) {
    m_caption = model.m_caption;
    m_checked = model.m_checked;
    m_enabled = model.m_enabled;
}

bool Menu::click() {
    if (!m_form.visible() || is_separator()) return false;
    for (const Menu* item = this; item; item = item->m_parent) {
        if (!item->m_enabled || !item->m_visible) return false;
    }
    if (on_click) on_click();
    return true;
}

Menu* Menu::item_by_access_key(char key) const {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    for (Menu* item : m_items) {
        if (item->m_visible && item->access_key() == wanted) return item;
    }
    return nullptr;
}

void Menu::changed() { m_form.changed(nullptr); }

ControlArray<Menu> menu_array(Menu& parent, std::string name, std::string caption,
                              std::initializer_list<std::int32_t> design_indexes) {
    return ControlArray<Menu>(
        name,
        [&parent, name, caption](std::int32_t index, const Menu* lowest, const Menu* last) {
            auto item = std::make_unique<Menu>(parent, name, lowest ? std::string{} : caption, index, last);
            if (lowest) item->copy_design_properties(*lowest);
            return item;
        },
        design_indexes);
}

ControlArray<Menu> menu_array(Form& form, std::string name, std::string caption,
                              std::initializer_list<std::int32_t> design_indexes) {
    return ControlArray<Menu>(
        name,
        [&form, name, caption](std::int32_t index, const Menu* lowest, const Menu* last) {
            auto item = std::make_unique<Menu>(form, name, lowest ? std::string{} : caption, index, last);
            if (lowest) item->copy_design_properties(*lowest);
            return item;
        },
        design_indexes);
}

}  // namespace tolm::forms
