#pragma once

#include "platform/raster/raster_painter.h"
#include "platform/raster/raster_surface.h"

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

namespace tolm::platform {

// The painter port on Cairo, drawing into a raster surface's pixels in place. Antialiased by
// default. Paths (the map's areas and lines) go through our own coverage raster, which paints map
// geometry several times faster than Cairo's general rasteriser; text uses Cairo's toy font API with
// the map font (Arial, or what fontconfig puts in its place), images Cairo's scaling.
class CairoPainter : public RasterPainter {
public:
    explicit CairoPainter(RasterSurface& surface);
    ~CairoPainter() override;
    CairoPainter(const CairoPainter&) = delete;
    CairoPainter& operator=(const CairoPainter&) = delete;

    void set_antialias(bool on) override;
    void clear(Colour colour) override;
    TextExtent measure_text(std::string_view utf8, const TextStyle& style) override;
    void draw_text(double x, double y, double angle, std::string_view utf8, const TextStyle& style) override;
    void draw_image(const ImageView& image, double x, double y, double width, double height) override;
    void flush() override;

protected:
    PixelTarget pixels() override;
    void before_raster() override;
    void after_raster() override;

private:
    void select_font(const TextStyle& style);
    // The outline of m_text in the selected font, unturned, from the start of its baseline; for a
    // label to be turned when `turned`.
    std::vector<OutlinePoint> text_outline(bool turned);
    void set_colour(Colour colour);

    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    std::string m_text;  // NUL-terminated copy of the text being drawn, reused
    double m_font_size = -1;
    bool m_font_bold = false;
};

}  // namespace tolm::platform
