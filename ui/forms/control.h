#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The common part of every control on a form: name and control-array index, design position in
// twips, enabled and visible state, tab order, focus and the key events. A control is a member of its
// form's class (or an element of a ControlArray there) and registers itself with the form.
namespace tolm::forms {

class Form;
class Frame;

class Control {
public:
    // index is the control-array index, or -1 for a control outside an array.
    Control(Form& form, std::string name, std::int32_t index = -1);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    Form& form() const noexcept { return m_form; }
    const std::string& name() const noexcept { return m_name; }
    std::int32_t index() const noexcept { return m_index; }

    // Position and size in twips, relative to the container.
    std::int32_t left() const noexcept { return m_left; }
    std::int32_t top() const noexcept { return m_top; }
    std::int32_t width() const noexcept { return m_width; }
    std::int32_t height() const noexcept { return m_height; }
    void move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    bool enabled() const noexcept { return m_enabled; }
    void set_enabled(bool enabled);
    bool visible() const noexcept { return m_visible; }
    void set_visible(bool visible);
    // Enabled and visible, and so is every frame it sits in.
    bool effectively_enabled() const noexcept;
    bool effectively_visible() const noexcept;

    // The frame the control sits in, or null when it sits on the form.
    Frame* container() const noexcept { return m_container; }
    void set_container(Frame& frame);

    // Tab indexes are unique on a form, numbered from 0 in creation order; giving a control an index
    // moves it there and renumbers the others, as the runtime does.
    std::int32_t tab_index() const noexcept { return m_tab_index; }
    void set_tab_index(std::int32_t tab_index);
    bool tab_stop() const noexcept { return m_tab_stop; }
    void set_tab_stop(bool tab_stop) { m_tab_stop = tab_stop; }

    std::int32_t help_context_id() const noexcept { return m_help_context_id; }
    void set_help_context_id(std::int32_t id) { m_help_context_id = id; }

    const std::string& tag() const noexcept { return m_tag; }
    void set_tag(std::string tag) { m_tag = std::move(tag); }

    // True for the kinds of control that can hold the focus at all (not labels and frames).
    virtual bool takes_focus() const noexcept { return false; }
    // True when the focus could move here now: a focusable kind, effectively enabled and visible,
    // on a form that is shown.
    bool can_receive_focus() const noexcept;
    bool has_focus() const noexcept;
    // SetFocus from code. Raises run-time error 5 when the control cannot take the focus now, as the
    // runtime does for a disabled or hidden control or a form that is not shown.
    void set_focus();

    // Copies what a control-array element inherits from the element it is loaded from.
    virtual void copy_design_properties(const Control& model);

    std::function<void()> on_got_focus;
    std::function<void()> on_lost_focus;
    // key_code may be set to 0 to swallow the key.
    std::function<void(std::int32_t& key_code, std::int32_t shift)> on_key_down;
    // key_ascii may be changed, or set to 0 to swallow the key.
    std::function<void(std::int32_t& key_ascii)> on_key_press;

protected:
    friend class Form;
    // What the control itself does with a key that its events did not swallow.
    virtual void default_key_down(std::int32_t key_code, std::int32_t shift);
    virtual void default_key_press(std::int32_t key_ascii);
    // Tells the window system that something visible changed.
    void changed();
    // A user's action reaches the control only when it is usable: shown and enabled on a shown form.
    bool usable() const noexcept;
    // The user clicks into the control: it takes the focus when it can.
    void focus_by_user();

private:
    Form& m_form;
    std::string m_name;
    std::int32_t m_index;
    std::int32_t m_left = 0;
    std::int32_t m_top = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    bool m_enabled = true;
    bool m_visible = true;
    Frame* m_container = nullptr;
    std::int32_t m_tab_index;
    bool m_tab_stop = true;
    std::int32_t m_help_context_id = 0;
    std::string m_tag;
};

}  // namespace tolm::forms
