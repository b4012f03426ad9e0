#include "platform/module_info.h"

#include <gtest/gtest.h>

namespace tolm::platform {
namespace {

TEST(ModuleInfo, FolderKeepsItsSeparatorOnlyAtARoot) {
    EXPECT_EQ(detail::folder_of("C:\\Program Files\\Wendal32\\TolmServer7.dll"), "C:\\Program Files\\Wendal32");
    EXPECT_EQ(detail::folder_of("C:\\TolmServer7.dll"), "C:\\");
    EXPECT_EQ(detail::folder_of("/usr/lib/tolm/libTolmServer7.so"), "/usr/lib/tolm");
    EXPECT_EQ(detail::folder_of("/libTolmServer7.so"), "/");
    EXPECT_EQ(detail::folder_of("TolmServer7.dll"), ".");
}

TEST(ModuleInfo, BaseNameIsTheNameTheClientKnows) {
    EXPECT_EQ(detail::base_name_of("C:\\Maps\\TolmServer7.dll"), "TolmServer7");
    EXPECT_EQ(detail::base_name_of("C:\\Maps\\InitTolmServer7.exe"), "InitTolmServer7");
    EXPECT_EQ(detail::base_name_of("/opt/tolm/libTolmServer7.so"), "TolmServer7");
    EXPECT_EQ(detail::base_name_of("/opt/tolm/libTolmServer7.so.7"), "TolmServer7");
    EXPECT_EQ(detail::base_name_of("/opt/tolm/tolm_platform_tests"), "tolm_platform_tests");
    EXPECT_EQ(detail::base_name_of("C:\\Maps\\my.server.dll"), "my.server");
}

TEST(ModuleInfo, TheRunningModuleIsFound) {
    EXPECT_FALSE(module_path().empty());
    EXPECT_EQ(module_folder(), detail::folder_of(module_path()));
}

}  // namespace
}  // namespace tolm::platform
