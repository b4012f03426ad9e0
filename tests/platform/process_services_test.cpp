#include "platform/process_services.h"

#include "platform/raster/raster_surface.h"
#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tolm::platform {
namespace {

TEST(ProcessServices, OneObjectWithNoAddressInTheEnvironment) {
    EXPECT_EQ(&process_services(), &process_services());
    register_surface(std::make_shared<RasterSurface>(2, 2));
    create_named_mutex("tolm-test-process-services");
    // The object is found by linking, never through a published address.
    EXPECT_EQ(std::getenv("TOLM_PROCESS_ANCHOR"), nullptr);
}

TEST(ProcessServices, SurfaceHandlesAreNeverZeroNorReused) {
    auto surface = std::make_shared<RasterSurface>(3, 2);
    const std::intptr_t first = register_surface(surface);
    EXPECT_NE(first, 0);
    EXPECT_EQ(find_surface(first), surface);
    unregister_surface(first);
    EXPECT_EQ(find_surface(first), nullptr);
    unregister_surface(first);  // twice is harmless
    const std::intptr_t second = register_surface(surface);
    EXPECT_NE(second, first) << "a stale hDC must not name a new surface";
    EXPECT_EQ(surface.use_count(), 2);
    unregister_surface(second);
    EXPECT_EQ(surface.use_count(), 1) << "the table lets go of what it held";
}

TEST(ProcessServices, InstallingAWindowSystemHandsBackThePreviousOne) {
    ProcessServices& services = process_services();
    WindowSystem* before = services.installed_window_system();
    auto* marker = reinterpret_cast<WindowSystem*>(&services);  // only compared, never called
    EXPECT_EQ(services.install_window_system(marker), before);
    EXPECT_EQ(services.installed_window_system(), marker);
    EXPECT_EQ(services.install_window_system(before), marker);
}

}  // namespace
}  // namespace tolm::platform
