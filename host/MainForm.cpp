#include "host/MainForm.h"

#include "platform/runtime_error.h"

namespace tolm::host {

namespace {
const char* const k_source = "Wendal32";
}

MenuElement::MenuElement(MainForm& form, std::int16_t index, std::string caption)
    : m_form(form), m_index(index), m_caption(std::move(caption)) {
    add_property(
        "Caption", [this] { return Variant(m_caption); }, [this](const Variant& v) { m_caption = v.to_string(); });
    add_property(
        "Visible", [this] { return Variant::boolean(m_visible); }, [this](const Variant& v) { m_visible = v.to_bool(); });
    add_property(
        "Enabled", [this] { return Variant::boolean(m_enabled); }, [this](const Variant& v) { m_enabled = v.to_bool(); });
    add_property(
        "Checked", [this] { return Variant::boolean(m_checked); }, [this](const Variant& v) { m_checked = v.to_bool(); });
    add_property("Index", [this] { return Variant(m_index); });
    add_method("Unload", [this](Arguments&) {
        // Element 0 of a control array made at design time cannot be unloaded (run-time error 362).
        if (m_index == 0) raise_runtime_error(runtime_errors::cannot_unload_design_time_control, k_source);
        m_form.unload_special_option(m_index);
        return Variant();
    });
}

MainForm::MainForm(std::string caption, std::uintptr_t window) : m_caption(std::move(caption)), m_window(window) {
    m_special_options[0] = std::make_shared<MenuElement>(*this, 0, "");
    add_property(
        "Caption", [this] { return Variant(m_caption); }, [this](const Variant& v) { m_caption = v.to_string(); });
    add_property("hWnd", [this] { return Variant(static_cast<std::int32_t>(m_window)); });
    add_member("mnuMapSpecialOptions", [this](InvokeKind kind, Arguments& args) -> Variant {
        if (kind != InvokeKind::property_get && kind != InvokeKind::method)
            raise_runtime_error(runtime_errors::object_does_not_support_member, k_source);
        if (args.size() != 1) raise_runtime_error(runtime_errors::wrong_number_of_arguments, k_source);
        auto element = special_option(args[0].to_int16());
        if (!element)
            throw RuntimeError(k_control_array_element_missing, k_source, "Control array element does not exist");
        return Variant(ObjectRef(element));
    });
}

void MainForm::load_special_options(const StringArray& captions) {
    if (!captions.allocated) return;
    for (std::int32_t i = captions.lower; i <= captions.upper(); ++i) {
        const auto index = static_cast<std::int16_t>(i - captions.lower);
        if (auto existing = special_option(index)) {
            put_property(existing, "Caption", Variant(captions.at(i)));
        } else {
            m_special_options[index] = std::make_shared<MenuElement>(*this, index, captions.at(i));
        }
    }
}

std::shared_ptr<MenuElement> MainForm::special_option(std::int16_t index) const {
    auto it = m_special_options.find(index);
    return it == m_special_options.end() ? nullptr : it->second;
}

void MainForm::unload_special_option(std::int16_t index) {
    if (index == 0) return;
    m_special_options.erase(index);
}

}  // namespace tolm::host
