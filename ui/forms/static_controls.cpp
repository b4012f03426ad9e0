#include "ui/forms/static_controls.h"

#include "ui/forms/screen.h"
#include "platform/runtime_error.h"

namespace tolm::forms {

Label::Label(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {
    set_tab_stop(false);
}

void Label::set_caption(std::string caption) {
    m_caption = std::move(caption);
    changed();
}

void Label::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* label = dynamic_cast<const Label*>(&model)) m_caption = label->m_caption;
}

Frame::Frame(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {
    set_tab_stop(false);
}

void Frame::set_caption(std::string caption) {
    m_caption = std::move(caption);
    changed();
}

void Frame::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* frame = dynamic_cast<const Frame*>(&model)) m_caption = frame->m_caption;
}

PictureBox::PictureBox(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {}

void PictureBox::set_back_color(std::uint32_t color) {
    m_back_color = color;
    changed();
}

void PictureBox::set_scale_mode(std::int32_t mode) {
    if (mode != 1 && mode != 3) raise_runtime_error(runtime_errors::invalid_property_value, name());
    m_scale_mode = mode;
}

double PictureBox::scale_width() const {
    return m_scale_mode == 3 ? static_cast<double>(width()) / screen::twips_per_pixel_x() : width();
}

double PictureBox::scale_height() const {
    return m_scale_mode == 3 ? static_cast<double>(height()) / screen::twips_per_pixel_y() : height();
}

void PictureBox::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* picture = dynamic_cast<const PictureBox*>(&model)) {
        m_back_color = picture->m_back_color;
        m_auto_redraw = picture->m_auto_redraw;
        m_scale_mode = picture->m_scale_mode;
    }
}

}  // namespace tolm::forms
