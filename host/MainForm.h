#pragma once

#include "platform/dispatch.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// The client's main form as the server sees it: late-bound, with the menu control array
// mnuMapSpecialOptions that the client builds from the captions the server reports.
namespace tolm::host {

// One element of a menu control array: Caption, Visible, Enabled, Checked, Index, and Unload, which
// removes the element from its form.
class MenuElement : public DynamicDispatch {
public:
    MenuElement(class MainForm& form, std::int16_t index, std::string caption);

    std::int16_t index() const noexcept { return m_index; }
    const std::string& caption() const noexcept { return m_caption; }
    bool visible() const noexcept { return m_visible; }
    bool enabled() const noexcept { return m_enabled; }
    bool checked() const noexcept { return m_checked; }

private:
    MainForm& m_form;
    std::int16_t m_index;
    std::string m_caption;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_checked = false;
};

// Members: Caption, hWnd, mnuMapSpecialOptions(index). Asking for an element that is not loaded
// raises run-time error 340, as the client's runtime does.
class MainForm : public DynamicDispatch, public std::enable_shared_from_this<MainForm> {
public:
    explicit MainForm(std::string caption = "Wendal32", std::uintptr_t window = 0);

    // Loads elements 0 to n-1 of mnuMapSpecialOptions with these captions (the client does this from
    // the server's GetSupportedFeatures answer); element 0 exists from the start with an empty caption.
    void load_special_options(const StringArray& captions);
    // The element, or null when it is not loaded.
    std::shared_ptr<MenuElement> special_option(std::int16_t index) const;
    void unload_special_option(std::int16_t index);

private:
    std::string m_caption;
    std::uintptr_t m_window;
    std::map<std::int16_t, std::shared_ptr<MenuElement>> m_special_options;
};

// Run-time error 340, "Control array element does not exist".
inline constexpr std::int32_t k_control_array_element_missing = 340;

}  // namespace tolm::host
