#pragma once

#include "ui/forms/control.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tolm::forms {

class Label : public Control {
public:
    Label(Form& form, std::string name, std::int32_t index = -1);

    const std::string& caption() const noexcept { return m_caption; }
    void set_caption(std::string caption);
    void copy_design_properties(const Control& model) override;

    std::function<void()> on_click;

private:
    std::string m_caption;
};

// A frame groups controls (option buttons in particular) and disables or hides them with itself.
class Frame : public Control {
public:
    Frame(Form& form, std::string name, std::int32_t index = -1);

    const std::string& caption() const noexcept { return m_caption; }
    void set_caption(std::string caption);
    void copy_design_properties(const Control& model) override;

private:
    std::string m_caption;
};

// A picture box: a surface the server paints on. The window system gives it a device context when
// it has a window; the model keeps its colours and scale.
class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name, std::int32_t index = -1);

    std::uint32_t back_color() const noexcept { return m_back_color; }
    void set_back_color(std::uint32_t color);
    bool auto_redraw() const noexcept { return m_auto_redraw; }
    void set_auto_redraw(bool auto_redraw) { m_auto_redraw = auto_redraw; }
    // 1 twips, 3 pixels, as ScaleMode counts.
    std::int32_t scale_mode() const noexcept { return m_scale_mode; }
    void set_scale_mode(std::int32_t mode);
    // The inner size in the scale mode's units.
    double scale_width() const;
    double scale_height() const;

    // The device context a window system attached, 0 headless.
    std::uintptr_t hdc() const noexcept { return m_hdc; }
    void attach_hdc(std::uintptr_t hdc) { m_hdc = hdc; }

    bool takes_focus() const noexcept override { return true; }
    void copy_design_properties(const Control& model) override;

    std::function<void()> on_click;

private:
    std::uint32_t m_back_color = 0x8000000F;  // the system's button face colour
    bool m_auto_redraw = false;
    std::int32_t m_scale_mode = 1;
    std::uintptr_t m_hdc = 0;
};

}  // namespace tolm::forms
