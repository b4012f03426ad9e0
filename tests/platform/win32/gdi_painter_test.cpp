#ifdef _WIN32

#include "platform/win32/gdi_painter.h"

#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"
#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <filesystem>
#include <fstream>

namespace tolm::platform {
namespace {

// A memory DC with a 32-bit top-down DIB selected, as a picture box that keeps its drawing has.
class MemoryPicture {
public:
    MemoryPicture(int width, int height, std::uint32_t rgb) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
        m_bits = static_cast<std::uint32_t*>(bits);
        std::fill(m_bits, m_bits + width * height, rgb);
    }
    ~MemoryPicture() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    MemoryPicture(const MemoryPicture&) = delete;
    MemoryPicture& operator=(const MemoryPicture&) = delete;

    std::intptr_t hdc() const { return reinterpret_cast<std::intptr_t>(m_dc); }
    // 0xRRGGBB: the device has no alpha.
    std::uint32_t pixel(int x, int y) const {
        GdiFlush();
        return m_bits[y * m_width + x] & 0xFFFFFFu;
    }
    int count_not(std::uint32_t rgb) const {
        int count = 0;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) count += pixel(x, y) != rgb;
        return count;
    }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};

constexpr std::uint32_t white = 0xFFFFFF;

void square(Painter& painter, double left, double top, double right, double bottom) {
    painter.move_to(left, top);
    painter.line_to(right, top);
    painter.line_to(right, bottom);
    painter.line_to(left, bottom);
    painter.close_path();
}

TEST(GdiPainter, PaintsFillsAndStrokesIntoAMemoryDeviceContext) {
    MemoryPicture picture(64, 48, 0x00FF00);
    {
        auto painter = painter_for_device_context(picture.hdc());
        painter->clear(Colour::from_bgr(0xFFFFFF));
        square(*painter, 10, 10, 30, 30);
        painter->fill(Colour::from_bgr(0x0000FF));  // &HBBGGRR red
        painter->move_to(5, 40.5);
        painter->line_to(60, 40.5);
        painter->stroke({Colour::from_bgr(0xFF0000), 3, LineCap::butt});  // blue
        // Nothing reaches the device before the flush.
        EXPECT_EQ(picture.pixel(20, 20), 0x00FF00u);
        painter->flush();
    }
    EXPECT_EQ(picture.pixel(20, 20), 0xFF0000u);
    EXPECT_EQ(picture.pixel(30, 40), 0x0000FFu);
    EXPECT_EQ(picture.pixel(2, 2), white);
    EXPECT_EQ(picture.pixel(63, 47), white);  // the whole bitmap, not a default 1 x 1 one
    EXPECT_EQ(picture.pixel(30, 45), white);  // the line is 3 pixels wide
}

TEST(GdiPainter, WhatThePainterLeavesAloneKeepsTheDevicesPicture) {
    MemoryPicture picture(32, 32, 0x123456);
    {
        auto painter = painter_for_device_context(picture.hdc());
        square(*painter, 0, 0, 16, 32);
        painter->fill(Colour::from_bgr(0x000000));
        painter->flush();
    }
    EXPECT_EQ(picture.pixel(8, 8), 0x000000u);
    EXPECT_EQ(picture.pixel(24, 8), 0x123456u);
}

TEST(GdiPainter, TextIsDrawnPlainAndWithAHalo) {
    MemoryPicture picture(120, 40, white);
    auto painter = painter_for_device_context(picture.hdc());
    TextStyle style;
    style.size = 20;
    style.colour = Colour::from_bgr(0x000000);
    const TextExtent extent = painter->measure_text("Wendy", style);
    EXPECT_GT(extent.width, 30);
    EXPECT_GT(extent.ascent, 10);
    EXPECT_GT(extent.height, extent.ascent);
    EXPECT_EQ(painter->measure_text("", style).width, 0);

    painter->draw_text(4, 28, 0, "Wendy", style);
    painter->flush();
    const int plain = picture.count_not(white);
    EXPECT_GT(plain, 40);
    // Ink stays above the baseline's descent and right of the start point.
    EXPECT_EQ(picture.pixel(2, 10), white);
    EXPECT_EQ(picture.pixel(60, 2), white);

    painter->clear(Colour::from_bgr(0xFFFFFF));
    style.halo = Colour::from_bgr(0x00FFFF);  // yellow
    style.halo_width = 2;
    painter->draw_text(4, 28, 0, "Wendy", style);
    painter->flush();
    int black = 0, yellow = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            black += picture.pixel(x, y) == 0x000000u;
            yellow += picture.pixel(x, y) == 0xFFFF00u;
        }
    EXPECT_GT(black, 10);
    EXPECT_GT(yellow, 40);
    EXPECT_GT(picture.count_not(white), plain);  // the halo widens the ink
}

// A machine with no fonts at all (no Arial and no generic sans-serif, as a bare Wine prefix without
// substitutes): labels are left out and the map's paths are still painted.
TEST(GdiPainter, WithoutAnyFontLabelsAreLeftOutAndTheMapStillPaints) {
    set_map_fonts_for_tests({L"No Such Family Anywhere"}, false);
    struct Restore {
        ~Restore() { set_map_fonts_for_tests({L"Arial"}, true); }
    } restore;
    MemoryPicture picture(120, 40, white);
    {
        auto painter = painter_for_device_context(picture.hdc());
        TextStyle style;
        style.size = 20;
        style.colour = Colour::from_bgr(0x000000);
        const TextExtent extent = painter->measure_text("Wendy", style);
        EXPECT_EQ(extent.width, 0);
        EXPECT_EQ(extent.height, 0);
        painter->draw_text(4, 28, 0, "Wendy", style);
        style.halo = Colour::from_bgr(0x00FFFF);
        style.halo_width = 2;
        painter->draw_text(4, 28, 0, "Wendy", style);
        square(*painter, 100, 0, 120, 40);
        painter->fill(Colour::from_bgr(0x0000FF));
        painter->flush();
    }
    EXPECT_EQ(picture.pixel(110, 20), 0xFF0000u);
    EXPECT_EQ(picture.pixel(20, 20), white);
}

TEST(GdiPainter, TurnedTextIsDrawnDownwardsWhenTurnedAQuarterClockwise) {
    MemoryPicture picture(40, 120, white);
    auto painter = painter_for_device_context(picture.hdc());
    TextStyle style;
    style.size = 16;
    style.colour = Colour::from_bgr(0x000000);
    painter->draw_text(20, 4, 3.14159265358979 / 2, "WWWWW", style);
    painter->flush();
    int top = 0, bottom = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 40; ++x) (y < 40 ? top : bottom) += picture.pixel(x, y) != white;
    EXPECT_GT(top, 10);
    EXPECT_GT(bottom, 10);
}

TEST(GdiPainter, ImagesAreScaledIntoTheirRectangle) {
    MemoryPicture picture(40, 40, white);
    const std::uint32_t red[4] = {0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u};
    {
        auto painter = painter_for_device_context(picture.hdc());
        painter->draw_image({red, 2, 2, 2}, 10, 10, 20, 20);
        painter->draw_image({nullptr, 2, 2, 2}, 0, 0, 40, 40);  // no pixels: nothing
        painter->flush();
    }
    EXPECT_EQ(picture.pixel(20, 20), 0xFF0000u);
    EXPECT_EQ(picture.pixel(11, 28), 0xFF0000u);  // edges are not faded
    EXPECT_EQ(picture.pixel(5, 5), white);
    EXPECT_EQ(picture.pixel(35, 35), white);
}

TEST(GdiPainter, AHandleThatIsNoDeviceContextIsRefused) {
    EXPECT_THROW(painter_for_device_context(0), RuntimeError);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_THROW(painter_for_device_context(reinterpret_cast<std::intptr_t>(brush)), RuntimeError);
    DeleteObject(brush);
}

TEST(GdiPainter, WritesAPngThatReadsBackWithItsSizeAndColours) {
    const auto folder = std::filesystem::temp_directory_path() / "tolm_gdi_painter_test";
    std::filesystem::create_directories(folder);
    const auto path = folder / "map.png";
    std::ofstream(path) << "old";
    RasterSurface surface(8, 6, 0xFF336699u);
    {
        auto painter = std::make_unique<GdiPlusPainter>(PixelTarget{surface.pixels(), 8, 6, 8});
        square(*painter, 0, 0, 4, 6);
        painter->fill(Colour{0xFFFF8000u});
        painter->flush();
    }
    write_png(surface, path.string());
    {
        Gdiplus::Bitmap read(path.wstring().c_str());
        ASSERT_EQ(read.GetLastStatus(), Gdiplus::Ok);
        EXPECT_EQ(read.GetWidth(), 8u);
        EXPECT_EQ(read.GetHeight(), 6u);
        Gdiplus::Color colour;
        read.GetPixel(6, 3, &colour);
        EXPECT_EQ(colour.GetValue(), 0xFF336699u);
        read.GetPixel(1, 3, &colour);
        EXPECT_EQ(colour.GetValue(), 0xFFFF8000u);
    }
    // Only the picture is left in the folder: nothing beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tolm::platform

#endif
