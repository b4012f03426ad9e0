#include "ui/forms/text_box.h"

#include "ui/forms/form.h"
#include "ui/forms/keys.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <algorithm>

namespace tolm::forms {

namespace {

std::u32string decode_utf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            out.push_back(U'\uFFFD');  // a stray byte stands for one unknown character
            ++i;
            continue;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(code);
        i += length;
    }
    return out;
}

std::string encode_utf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::int32_t length_of(const std::u32string& text) { return static_cast<std::int32_t>(text.size()); }

}  // namespace

TextBox::TextBox(Form& form, std::string name, std::int32_t index) : Control(form, std::move(name), index) {}

std::string TextBox::text() const { return encode_utf8(m_text); }

void TextBox::set_text(std::string_view text) {
    m_sel_start = 0;
    m_sel_length = 0;
    set_content(decode_utf8(text));
}

void TextBox::set_content(std::u32string content) {
    if (content == m_text) return;
    m_text = std::move(content);
    m_sel_start = std::min(m_sel_start, length_of(m_text));
    m_sel_length = std::min(m_sel_length, length_of(m_text) - m_sel_start);
    changed();
    if (on_change) on_change();
}

void TextBox::set_max_length(std::int32_t max_length) {
    if (max_length < 0) raise_runtime_error(runtime_errors::invalid_property_value, name());
    m_max_length = max_length;
}

void TextBox::set_sel_start(std::int32_t start) {
    if (start < 0) raise_runtime_error(runtime_errors::invalid_property_value, name());
    m_sel_start = std::min(start, length_of(m_text));
    m_sel_length = 0;
}

void TextBox::set_sel_length(std::int32_t length) {
    if (length < 0) raise_runtime_error(runtime_errors::invalid_property_value, name());
    m_sel_length = std::min(length, length_of(m_text) - m_sel_start);
}

std::string TextBox::sel_text() const {
    return encode_utf8(std::u32string_view(m_text).substr(static_cast<std::size_t>(m_sel_start),
                                                           static_cast<std::size_t>(m_sel_length)));
}

void TextBox::copy_design_properties(const Control& model) {
    Control::copy_design_properties(model);
    if (auto* box = dynamic_cast<const TextBox*>(&model)) {
        m_text = box->m_text;
        m_max_length = box->m_max_length;
        m_locked = box->m_locked;
    }
}

bool TextBox::type(std::string_view text) {
    if (!usable()) return false;
    focus_by_user();
    if (!has_focus()) return false;
    return form().type_text(text);
}

void TextBox::replace_selection(std::u32string_view with) {
    std::u32string content = m_text;
    content.replace(static_cast<std::size_t>(m_sel_start), static_cast<std::size_t>(m_sel_length), with);
    const std::int32_t caret = m_sel_start + static_cast<std::int32_t>(with.size());
    m_sel_length = 0;
    if (content == m_text) return;
    m_text = std::move(content);
    m_sel_start = caret;
    changed();
    if (on_change) on_change();
}

void TextBox::default_key_press(std::int32_t key_ascii) {
    if (m_locked) return;
    if (key_ascii == key::back) {
        if (m_sel_length == 0) {
            if (m_sel_start == 0) return;
            --m_sel_start;
            m_sel_length = 1;
        }
        replace_selection({});
        return;
    }
    // Enter, Escape and the other control characters insert nothing in a single-line box.
    if (key_ascii < 32 || key_ascii > 255) return;
    if (m_max_length > 0 && length_of(m_text) - m_sel_length + 1 > m_max_length) return;
    // Key codes above 127 are characters of the ANSI code page.
    const std::string ansi(1, static_cast<char>(key_ascii));
    replace_selection(decode_utf8(key_ascii < 128 ? ansi : ansi_to_utf8(ansi)));
}

void TextBox::default_key_down(std::int32_t key_code, std::int32_t) {
    const std::int32_t length = length_of(m_text);
    switch (key_code) {
    case key::del:
        if (m_locked) return;
        if (m_sel_length == 0) {
            if (m_sel_start >= length) return;
            m_sel_length = 1;
        }
        replace_selection({});
        break;
    case key::left:
        m_sel_start = m_sel_length > 0 ? m_sel_start : std::max(0, m_sel_start - 1);
        m_sel_length = 0;
        break;
    case key::right:
        m_sel_start = std::min(length, m_sel_start + (m_sel_length > 0 ? m_sel_length : 1));
        m_sel_length = 0;
        break;
    case key::home:
        m_sel_start = 0;
        m_sel_length = 0;
        break;
    case key::end:
        m_sel_start = length;
        m_sel_length = 0;
        break;
    default:
        break;
    }
}

}  // namespace tolm::forms
