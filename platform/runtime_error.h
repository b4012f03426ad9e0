#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tolm {

// The client's model of an error: a number, a source and a text. Every member of the published
// interface reports failures this way; the frames turn it into a failed HRESULT for the caller.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(std::int32_t number, std::string source, const std::string& description)
        : std::runtime_error(description), m_number(number), m_source(std::move(source)) {}

    std::int32_t number() const noexcept { return m_number; }
    const std::string& source() const noexcept { return m_source; }
    std::string description() const { return what(); }

private:
    std::int32_t m_number;
    std::string m_source;
};

// Numbers and texts of the runtime's own errors, as the client knows them.
namespace runtime_errors {
constexpr std::int32_t invalid_procedure_call = 5;
constexpr std::int32_t overflow = 6;
constexpr std::int32_t subscript_out_of_range = 9;
constexpr std::int32_t type_mismatch = 13;
constexpr std::int32_t file_not_found = 53;
constexpr std::int32_t bad_file_mode = 54;
constexpr std::int32_t path_file_access_error = 75;
constexpr std::int32_t path_not_found = 76;
constexpr std::int32_t object_variable_not_set = 91;
constexpr std::int32_t invalid_file_format = 321;
constexpr std::int32_t cannot_unload_design_time_control = 362;
constexpr std::int32_t invalid_property_value = 380;
constexpr std::int32_t invalid_property_array_index = 381;
constexpr std::int32_t property_read_only = 383;
constexpr std::int32_t form_minimised_or_maximised = 384;
constexpr std::int32_t form_already_displayed = 400;
constexpr std::int32_t object_required = 424;
constexpr std::int32_t object_does_not_support_member = 438;
constexpr std::int32_t wrong_number_of_arguments = 450;
constexpr std::int32_t not_yet_implemented = 32765;

// User-defined error numbers are added to this base, as in vbObjectError + n.
constexpr std::int32_t object_error_base = static_cast<std::int32_t>(0x80040000u);
}  // namespace runtime_errors

// The standard text the runtime gives its own error numbers.
std::string runtime_error_text(std::int32_t number);

// Raises one of the runtime's own errors with its standard text.
[[noreturn]] void raise_runtime_error(std::int32_t number, const std::string& source);

// Maps an error number to the HRESULT a COM caller sees: numbers that already are failure
// HRESULTs pass unchanged, plain numbers go to the control facility (0x800A0000 | number).
std::int32_t hresult_from_error_number(std::int32_t number) noexcept;

}  // namespace tolm
