#include "platform/raster/raster_surface.h"

#include "platform/painter.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tolm::platform {
namespace {

TEST(RasterSurface, HandlesFindTheirSurfaceUntilUnregistered) {
    auto a = std::make_shared<RasterSurface>(4, 3, 0xFF112233u);
    auto b = std::make_shared<RasterSurface>(2, 2);
    const auto ha = register_surface(a), hb = register_surface(b);
    EXPECT_NE(ha, 0);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(find_surface(ha), a);
    unregister_surface(ha);
    EXPECT_EQ(find_surface(ha), nullptr);
    EXPECT_EQ(find_surface(hb), b);
    unregister_surface(hb);
    EXPECT_THROW(painter_for_device_context(hb), RuntimeError);
    EXPECT_EQ(a->pixel(3, 2), 0xFF112233u);
    EXPECT_THROW(a->pixel(4, 0), RuntimeError);
    EXPECT_THROW(RasterSurface(-1, 5), RuntimeError);
}

TEST(RasterSurface, PainterThroughAHandleDrawsIntoThePixels) {
    auto surface = std::make_shared<RasterSurface>(40, 30);
    const auto hdc = register_surface(surface);
    {
        auto painter = painter_for_device_context(hdc);
        painter->clear(Colour::from_bgr(0x0000FF));  // &HBBGGRR red
        painter->move_to(10, 10);
        painter->line_to(30, 10);
        painter->line_to(30, 20);
        painter->line_to(10, 20);
        painter->close_path();
        painter->fill(Colour::from_bgr(0xFF0000));  // blue
        painter->flush();
    }
    EXPECT_EQ(surface->pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(surface->pixel(20, 15), 0xFF0000FFu);
    unregister_surface(hdc);
}

TEST(RasterSurface, WritesAPngAndReplacesAnOldOne) {
    const auto folder = std::filesystem::temp_directory_path() / "tolm_raster_surface_test";
    std::filesystem::create_directories(folder);
    const auto path = (folder / "map.png").string();
    std::ofstream(path) << "old";
    write_png(RasterSurface(8, 8, 0xFF00FF00u), path);
    {
        // Closed before the folder goes: Windows does not remove an open file.
        std::ifstream in(path, std::ios::binary);
        char signature[8] = {};
        in.read(signature, 8);
        EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    }
    EXPECT_THROW(write_png(RasterSurface(8, 8), (folder / "no" / "such" / "map.png").string()), RuntimeError);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tolm::platform
