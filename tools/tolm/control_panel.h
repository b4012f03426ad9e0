#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolm::forms {
class Form;
class Menu;
}  // namespace tolm::forms

// The server's control panel used as a user would: menu items found by the captions the user reads
// ("Options/Shade Counties", access-key marks optional, any case) and clicked, and the menu bar
// printed with its check marks. Only the form's menus are used, not the server's own classes.
namespace tolm::cli {

// One line per item, indented two blanks per level: "[x] " before a ticked item, "    " before the
// rest, the caption as shown, "(disabled)" after an item that cannot be chosen. Separators are "-".
std::vector<std::string> describe_menu(const forms::Form& form);

// The item at PATH ("Options/Kartovex Data Paths/Data1"); throws HostError naming the first part that
// matches nothing, with the choices there.
forms::Menu& find_menu_item(const forms::Form& form, std::string_view path);

// Clicks each path in turn; throws HostError when an item cannot be chosen (disabled, or the panel
// was closed by an earlier click).
void click_menu_items(const forms::Form& form, const std::vector<std::string>& paths);

}  // namespace tolm::cli
