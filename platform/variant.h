#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tolm {

class Dispatch;

// A reference to an object bound late, by member name or dispatch id. On Windows the object may be
// a COM object of the client's; the reference then holds its IDispatch.
using ObjectRef = std::shared_ptr<Dispatch>;

// A one-dimensional array of strings with its lower bound, as the client passes its String arrays.
// An unallocated array (Dim s() As String before ReDim) has no bounds at all.
struct StringArray {
    std::int32_t lower = 0;
    std::vector<std::string> items;
    bool allocated = false;

    StringArray() = default;
    StringArray(std::int32_t lower_bound, std::vector<std::string> values)
        : lower(lower_bound), items(std::move(values)), allocated(true) {}

    // 64 bits: an empty array whose lower bound is the least Long has its upper bound below any Long.
    std::int64_t upper() const noexcept { return std::int64_t(lower) + static_cast<std::int64_t>(items.size()) - 1; }
    // Element by its index within the bounds; raises "Subscript out of range" outside them.
    const std::string& at(std::int32_t index) const;
    std::string& at(std::int32_t index);
    bool operator==(const StringArray&) const = default;
};

// A one-dimensional array of bytes with its lower bound (registry binary values).
struct ByteArray {
    std::int32_t lower = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const ByteArray&) const = default;
};

// Automation Booleans are -1 and 0; this tag keeps them apart from the 16-bit Integer.
struct VariantBool {
    bool value = false;
    bool operator==(const VariantBool&) const = default;
};

enum class VariantType { empty, boolean, integer, long_integer, double_real, string, object, string_array, byte_array };

// The automation value the client and the server exchange. Conversions follow the runtime's rules:
// Booleans are -1 and 0, numbers round half to even into integers, overflow and type mismatch are
// run-time errors 6 and 13.
class Variant {
public:
    Variant() = default;
    Variant(VariantBool b) : m_value(b) {}
    Variant(std::int16_t i) : m_value(i) {}
    Variant(std::int32_t l) : m_value(l) {}
    Variant(double d) : m_value(d) {}
    Variant(std::string s) : m_value(std::move(s)) {}
    Variant(const char* s) : m_value(std::string(s)) {}
    Variant(std::string_view s) : m_value(std::string(s)) {}
    Variant(ObjectRef o) : m_value(std::move(o)) {}
    Variant(StringArray a) : m_value(std::move(a)) {}
    Variant(ByteArray a) : m_value(std::move(a)) {}

    static Variant boolean(bool b) { return Variant(VariantBool{b}); }

    VariantType type() const noexcept { return static_cast<VariantType>(m_value.index()); }
    bool is_empty() const noexcept { return type() == VariantType::empty; }
    bool is_numeric() const noexcept;

    // Coercions, as CBool, CInt, CLng, CDbl, CStr would make them.
    bool to_bool() const;
    std::int16_t to_int16() const;
    std::int32_t to_int32() const;
    double to_double() const;
    std::string to_string() const;
    ObjectRef to_object() const;
    const StringArray& as_string_array() const;
    StringArray& as_string_array();
    const ByteArray& as_byte_array() const;

    // The value as the automation Boolean -1 or 0, for callers that pass Booleans on as Integers.
    static std::int16_t bool_to_int(bool b) noexcept { return b ? -1 : 0; }

    bool operator==(const Variant& other) const = default;

private:
    std::variant<std::monostate, VariantBool, std::int16_t, std::int32_t, double, std::string, ObjectRef,
                 StringArray, ByteArray>
        m_value;
};

// Round half to even, the rule of CInt, CLng and of whole-number conversions in the client.
double round_half_even(double value) noexcept;

// The text the runtime makes of a Double (Str/CStr without the leading blank): up to 15 significant
// digits, "." as the decimal point, E notation for very large and very small numbers.
std::string format_double(double value);

}  // namespace tolm
