#include "platform/app.h"

#include "platform/module_info.h"

#include <gtest/gtest.h>

namespace tolm::platform {
namespace {

TEST(AppIdentity, TitleIsTheModuleBaseNameUnlessSet) {
    EXPECT_EQ(app_title(), module_base_name());
    EXPECT_EQ(app_exe_name(), module_base_name());
    EXPECT_EQ(app_path(), module_folder());
    set_app_title("TolmServer7");
    EXPECT_EQ(app_title(), "TolmServer7");
    set_app_title(module_base_name());
}

}  // namespace
}  // namespace tolm::platform
