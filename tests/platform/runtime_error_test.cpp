#include "platform/runtime_error.h"

#include <gtest/gtest.h>

namespace tolm {
namespace {

// The client shows these texts; they are the runtime's own words for its numbers.
TEST(RuntimeErrorText, TheFormsAndFileNumbersCarryTheRuntimesTexts) {
    namespace re = runtime_errors;
    EXPECT_EQ(runtime_error_text(re::invalid_procedure_call), "Invalid procedure call or argument");
    EXPECT_EQ(runtime_error_text(re::invalid_file_format), "Invalid file format");
    EXPECT_EQ(runtime_error_text(re::cannot_unload_design_time_control), "Can't unload controls created at design time");
    EXPECT_EQ(runtime_error_text(re::invalid_property_value), "Invalid property value");
    EXPECT_EQ(runtime_error_text(re::invalid_property_array_index), "Invalid property array index");
    EXPECT_EQ(runtime_error_text(re::property_read_only), "Property is read-only");
    EXPECT_EQ(runtime_error_text(re::form_minimised_or_maximised),
              "A form can't be moved or sized while minimized or maximized");
    EXPECT_EQ(runtime_error_text(re::form_already_displayed), "Form already displayed; can't show modally");
    EXPECT_EQ(runtime_error_text(12345), "Application-defined or object-defined error");
}

TEST(RuntimeErrorText, RaisingGivesNumberSourceAndText) {
    try {
        raise_runtime_error(runtime_errors::invalid_property_value, "lstFind");
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 380);
        EXPECT_EQ(error.source(), "lstFind");
        EXPECT_EQ(error.description(), "Invalid property value");
    }
    EXPECT_EQ(runtime_errors::invalid_file_format, 321);
    EXPECT_EQ(runtime_errors::cannot_unload_design_time_control, 362);
    EXPECT_EQ(runtime_errors::invalid_property_array_index, 381);
    EXPECT_EQ(runtime_errors::property_read_only, 383);
    EXPECT_EQ(runtime_errors::form_minimised_or_maximised, 384);
    EXPECT_EQ(runtime_errors::form_already_displayed, 400);
}

}  // namespace
}  // namespace tolm
