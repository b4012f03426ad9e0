#pragma once

#include "platform/raster/raster_painter.h"

#include <memory>
#include <string>
#include <vector>

// The painter port on Windows. Paths (the map's areas and lines) go through our own coverage raster
// straight into 32-bit pixel memory, as on Linux; GDI+ supplies the text (glyphs, and their outlines
// for haloed labels) and scales underlay images. Windows headers stay inside gdi_painter.cpp.
namespace tolm::platform {

namespace detail {
struct GdiPlusText;
}

class GdiPlusPainter : public RasterPainter {
public:
    // Paints into premultiplied ARGB pixels that outlive the painter.
    explicit GdiPlusPainter(const PixelTarget& pixels);
    ~GdiPlusPainter() override;
    GdiPlusPainter(const GdiPlusPainter&) = delete;
    GdiPlusPainter& operator=(const GdiPlusPainter&) = delete;

    void set_antialias(bool on) override;
    void clear(Colour colour) override;
    TextExtent measure_text(std::string_view utf8, const TextStyle& style) override;
    void draw_text(double x, double y, double angle, std::string_view utf8, const TextStyle& style) override;
    void draw_image(const ImageView& image, double x, double y, double width, double height) override;
    void flush() override;

protected:
    PixelTarget pixels() override;
    void before_raster() override;

private:
    PixelTarget m_pixels;
    std::unique_ptr<detail::GdiPlusText> m_text;  // GDI+ objects over the same pixels
};

// Starts GDI+ once in the process, on first use (never from DllMain: it makes threads and loads
// libraries, which the loader lock forbids). It is never shut down while the library is loaded.
// Raises RuntimeError when GDI+ cannot start.
void ensure_gdiplus_started();

// Tests only: the font families tried for labels (default: Arial) and whether the system's generic
// sans-serif may stand in, to play a machine with no fonts. Affects painters made afterwards.
void set_map_fonts_for_tests(std::vector<std::wstring> names, bool generic_allowed);

}  // namespace tolm::platform
