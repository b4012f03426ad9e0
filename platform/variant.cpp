#include "platform/variant.h"

#include "platform/text.h"
#include "platform/runtime_error.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace tolm {

namespace {

const char* const k_source = "Variant";

[[noreturn]] void type_mismatch() { raise_runtime_error(runtime_errors::type_mismatch, k_source); }

// Text to number as CDbl reads it here: the whole text must be a number (blanks around it allowed).
double number_from_text(const std::string& text) {
    double value = 0;
    if (!parse_whole_number(text, value)) type_mismatch();
    return value;
}

}  // namespace

const std::string& StringArray::at(std::int32_t index) const {
    const std::int64_t offset = std::int64_t(index) - lower;
    if (!allocated || offset < 0 || offset >= static_cast<std::int64_t>(items.size()))
        raise_runtime_error(runtime_errors::subscript_out_of_range, k_source);
    return items[static_cast<std::size_t>(offset)];
}

std::string& StringArray::at(std::int32_t index) {
    return const_cast<std::string&>(static_cast<const StringArray&>(*this).at(index));
}

double round_half_even(double value) noexcept {
    return std::nearbyint(value);  // the default floating-point environment rounds half to even
}

std::string format_double(double value) {
    if (value == 0) return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    // Trim the zeros %G leaves in a mantissa written in E notation ("1.5E+20" stays, "1.50000E+20" won't occur
    // with %G, but the exponent is written by the runtime without leading zeros).
    auto e = text.find('E');
    if (e != std::string::npos) {
        std::string mantissa = text.substr(0, e);
        std::string exponent = text.substr(e + 1);
        char sign = exponent[0];
        exponent.erase(0, 1);
        while (exponent.size() > 2 && exponent[0] == '0') exponent.erase(0, 1);
        text = mantissa + "E" + sign + exponent;
    }
    return text;
}

bool Variant::is_numeric() const noexcept {
    switch (type()) {
        case VariantType::boolean:
        case VariantType::integer:
        case VariantType::long_integer:
        case VariantType::double_real: return true;
        default: return false;
    }
}

bool Variant::to_bool() const {
    switch (type()) {
        case VariantType::empty: return false;
        case VariantType::boolean: return std::get<VariantBool>(m_value).value;
        case VariantType::integer: return std::get<std::int16_t>(m_value) != 0;
        case VariantType::long_integer: return std::get<std::int32_t>(m_value) != 0;
        case VariantType::double_real: return std::get<double>(m_value) != 0;
        case VariantType::string: {
            const auto& s = std::get<std::string>(m_value);
            std::string trimmed = trim_blanks(s);
            if (equals_ignoring_case(trimmed, "True")) return true;
            if (equals_ignoring_case(trimmed, "False")) return false;
            return number_from_text(s) != 0;
        }
        default: type_mismatch();
    }
}

double Variant::to_double() const {
    switch (type()) {
        case VariantType::empty: return 0;
        case VariantType::boolean: return std::get<VariantBool>(m_value).value ? -1 : 0;
        case VariantType::integer: return std::get<std::int16_t>(m_value);
        case VariantType::long_integer: return std::get<std::int32_t>(m_value);
        case VariantType::double_real: return std::get<double>(m_value);
        case VariantType::string: return number_from_text(std::get<std::string>(m_value));
        default: type_mismatch();
    }
}

std::int32_t Variant::to_int32() const {
    if (type() == VariantType::long_integer) return std::get<std::int32_t>(m_value);
    double rounded = round_half_even(to_double());
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        raise_runtime_error(runtime_errors::overflow, k_source);
    return static_cast<std::int32_t>(rounded);
}

std::int16_t Variant::to_int16() const {
    if (type() == VariantType::integer) return std::get<std::int16_t>(m_value);
    double rounded = round_half_even(to_double());
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() && rounded <= std::numeric_limits<std::int16_t>::max()))
        raise_runtime_error(runtime_errors::overflow, k_source);
    return static_cast<std::int16_t>(rounded);
}

std::string Variant::to_string() const {
    switch (type()) {
        case VariantType::empty: return {};
        case VariantType::boolean: return std::get<VariantBool>(m_value).value ? "True" : "False";
        case VariantType::integer: return std::to_string(std::get<std::int16_t>(m_value));
        case VariantType::long_integer: return std::to_string(std::get<std::int32_t>(m_value));
        case VariantType::double_real: return format_double(std::get<double>(m_value));
        case VariantType::string: return std::get<std::string>(m_value);
        default: type_mismatch();
    }
}

ObjectRef Variant::to_object() const {
    if (type() != VariantType::object) raise_runtime_error(runtime_errors::object_required, k_source);
    return std::get<ObjectRef>(m_value);
}

const StringArray& Variant::as_string_array() const {
    if (type() != VariantType::string_array) type_mismatch();
    return std::get<StringArray>(m_value);
}

StringArray& Variant::as_string_array() {
    if (type() != VariantType::string_array) type_mismatch();
    return std::get<StringArray>(m_value);
}

const ByteArray& Variant::as_byte_array() const {
    if (type() != VariantType::byte_array) type_mismatch();
    return std::get<ByteArray>(m_value);
}

}  // namespace tolm
