#include "platform/runtime_error.h"

namespace tolm {

std::string runtime_error_text(std::int32_t number) {
    using namespace runtime_errors;
    switch (number) {
        case invalid_procedure_call: return "Invalid procedure call or argument";
        case overflow: return "Overflow";
        case subscript_out_of_range: return "Subscript out of range";
        case type_mismatch: return "Type mismatch";
        case file_not_found: return "File not found";
        case bad_file_mode: return "Bad file mode";
        case path_file_access_error: return "Path/File access error";
        case path_not_found: return "Path not found";
        case object_variable_not_set: return "Object variable or With block variable not set";
        case invalid_file_format: return "Invalid file format";
        case cannot_unload_design_time_control: return "Can't unload controls created at design time";
        case invalid_property_value: return "Invalid property value";
        case invalid_property_array_index: return "Invalid property array index";
        case property_read_only: return "Property is read-only";
        case form_minimised_or_maximised: return "A form can't be moved or sized while minimized or maximized";
        case form_already_displayed: return "Form already displayed; can't show modally";
        case object_required: return "Object required";
        case object_does_not_support_member: return "Object doesn't support this property or method";
        case wrong_number_of_arguments: return "Wrong number of arguments or invalid property assignment";
        default: return "Application-defined or object-defined error";
    }
}

void raise_runtime_error(std::int32_t number, const std::string& source) {
    throw RuntimeError(number, source, runtime_error_text(number));
}

std::int32_t hresult_from_error_number(std::int32_t number) noexcept {
    if (number < 0) return number;
    return static_cast<std::int32_t>(0x800A0000u | (static_cast<std::uint32_t>(number) & 0xFFFFu));
}

}  // namespace tolm
