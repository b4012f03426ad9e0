#include "tools/tolm/control_panel.h"

#include "tools/tolm/host_error.h"

#include "platform/text.h"
#include "ui/forms/form.h"
#include "ui/forms/menu.h"

namespace tolm::cli {

namespace {

void describe(const forms::Menu& item, int depth, std::vector<std::string>& lines) {
    if (!item.visible()) return;
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += item.checked() ? "[x] " : "    ";
    line += item.is_separator() ? std::string("-") : item.display_caption();
    if (!item.enabled()) line += " (disabled)";
    lines.push_back(line);
    for (const forms::Menu* inner : item.items()) describe(*inner, depth + 1, lines);
}

// A part of a path names an item by its caption as shown or as written (with its "&").
bool names(const forms::Menu& item, std::string_view part) {
    return !item.is_separator() &&
           (equals_ignoring_case(item.display_caption(), part) || equals_ignoring_case(item.caption(), part));
}

std::string choices(const std::vector<forms::Menu*>& items) {
    std::string text;
    for (const forms::Menu* item : items) {
        if (item->is_separator() || !item->visible()) continue;
        if (!text.empty()) text += ", ";
        text += "\"" + item->display_caption() + "\"";
    }
    return text;
}

}  // namespace

std::vector<std::string> describe_menu(const forms::Form& form) {
    std::vector<std::string> lines;
    for (const forms::Menu* item : form.menu_bar()) describe(*item, 0, lines);
    return lines;
}

forms::Menu& find_menu_item(const forms::Form& form, std::string_view path) {
    const std::vector<forms::Menu*>* level = &form.menu_bar();
    forms::Menu* found = nullptr;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view part = path.substr(start, slash == std::string_view::npos ? path.npos : slash - start);
        forms::Menu* match = nullptr;
        for (forms::Menu* item : *level)
            if (item->visible() && names(*item, part)) {
                match = item;
                break;
            }
        if (!match)
            throw HostError("the panel's menu has no \"" + std::string(part) + "\" " +
                            (found ? "under \"" + found->display_caption() + "\"" : std::string("on its menu bar")) +
                            " (there: " + choices(*level) + ")");
        found = match;
        if (slash == std::string_view::npos) break;
        level = &found->items();
        start = slash + 1;
    }
    return *found;
}

void click_menu_items(const forms::Form& form, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (!form.loaded() || !form.visible()) throw HostError("the panel was closed before \"" + path + "\"");
        forms::Menu& item = find_menu_item(form, path);
        if (!item.click()) throw HostError("\"" + path + "\" cannot be chosen (disabled)");
    }
}

}  // namespace tolm::cli
