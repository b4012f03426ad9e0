#pragma once

#include "ui/forms/control.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tolm::forms {

// A single-line text box. Text is UTF-8; MaxLength, SelStart and SelLength count characters.
class TextBox : public Control {
public:
    TextBox(Form& form, std::string name, std::int32_t index = -1);

    std::string text() const;
    // Setting the text from code ignores MaxLength, as the platform's edit control does, moves the
    // caret to the start and raises Change when the text differs.
    void set_text(std::string_view text);

    // 0 is no limit. Lowering it leaves a longer text as it is; only typing is limited.
    std::int32_t max_length() const noexcept { return m_max_length; }
    void set_max_length(std::int32_t max_length);

    // Raise error 380 when negative; larger values are cut to the text.
    std::int32_t sel_start() const noexcept { return m_sel_start; }
    void set_sel_start(std::int32_t start);
    std::int32_t sel_length() const noexcept { return m_sel_length; }
    void set_sel_length(std::int32_t length);
    std::string sel_text() const;

    // A locked box takes the focus but refuses edits.
    bool locked() const noexcept { return m_locked; }
    void set_locked(bool locked) { m_locked = locked; }

    bool takes_focus() const noexcept override { return true; }
    void copy_design_properties(const Control& model) override;

    // The user clicks into the box (taking the focus) and types the text key by key, each key going
    // through KeyPress. Returns false when the box cannot be used.
    bool type(std::string_view text);

    std::function<void()> on_change;

protected:
    void default_key_down(std::int32_t key_code, std::int32_t shift) override;
    void default_key_press(std::int32_t key_ascii) override;

private:
    void replace_selection(std::u32string_view with);
    void set_content(std::u32string content);

    std::u32string m_text;
    std::int32_t m_max_length = 0;
    std::int32_t m_sel_start = 0;
    std::int32_t m_sel_length = 0;
    bool m_locked = false;
};

}  // namespace tolm::forms
