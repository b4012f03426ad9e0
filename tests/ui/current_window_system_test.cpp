#include "ui/current_window_system.h"

#include "ui/headless/headless_window_system.h"

#include <gtest/gtest.h>

namespace tolm::platform {
namespace {

// The desktop's own window system serves while nothing is installed; a test's or a host's comes first.
TEST(CurrentWindowSystem, TheDesktopDefaultYieldsToAnInstalledSystemAndGoesBackToHeadless) {
    WindowSystem* installed = set_window_system(nullptr);
    WindowSystem* headless_default = &window_system();

    headless::HeadlessWindowSystem desktop;
    set_default_window_system(&desktop);
    EXPECT_EQ(&window_system(), &desktop);
    EXPECT_EQ(default_window_system_override(), &desktop);
    {
        headless::HeadlessWindowSystem test_system;
        ScopedWindowSystem scope(test_system);
        EXPECT_EQ(&window_system(), &test_system);
    }
    EXPECT_EQ(&window_system(), &desktop);

    set_default_window_system(nullptr);
    EXPECT_EQ(&window_system(), headless_default);
    set_window_system(installed);
}

}  // namespace
}  // namespace tolm::platform
