#pragma once

#include "ui/forms/control.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tolm::forms {

// A push button. The form's default button answers Enter, its cancel button Escape.
class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name, std::int32_t index = -1);
    ~CommandButton() override;

    const std::string& caption() const noexcept { return m_caption; }
    void set_caption(std::string caption);

    // Making a button the default (or cancel) button takes that role from any other button on the form.
    bool is_default() const noexcept;
    void set_default(bool is_default);
    bool is_cancel() const noexcept;
    void set_cancel(bool is_cancel);

    bool takes_focus() const noexcept override { return true; }
    void copy_design_properties(const Control& model) override;

    // The user clicks the button: it takes the focus and raises Click. False when it cannot be used.
    bool click();
    // Value = True from code: raises Click whatever the button's state.
    void press_from_code();

    std::function<void()> on_click;

protected:
    void default_key_press(std::int32_t key_ascii) override;

private:
    std::string m_caption;
};

// An option button; the option buttons in one container (a frame, or the form) form one group in
// which at most one is selected.
class OptionButton : public Control {
public:
    OptionButton(Form& form, std::string name, std::int32_t index = -1);

    const std::string& caption() const noexcept { return m_caption; }
    void set_caption(std::string caption);

    bool value() const noexcept { return m_value; }
    // Selecting clears the others of the group and raises Click; clearing raises nothing.
    void set_value(bool value);

    bool takes_focus() const noexcept override { return true; }
    void copy_design_properties(const Control& model) override;

    // The user clicks the button: it takes the focus, is selected and raises Click.
    bool click();

    std::function<void()> on_click;

protected:
    void default_key_press(std::int32_t key_ascii) override;

private:
    void select();

    std::string m_caption;
    bool m_value = false;
};

}  // namespace tolm::forms
