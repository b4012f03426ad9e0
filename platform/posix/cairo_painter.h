#pragma once

#include "platform/coverage_raster.h"
#include "platform/painter.h"
#include "platform/raster_surface.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace tolm::platform {

// The painter port on Cairo, drawing into a raster surface's pixels in place. Antialiased by
// default. Paths (the map's areas and lines) go through our own coverage raster, which paints map
// geometry several times faster than Cairo's general rasteriser; text uses Cairo's toy font API with
// the map font (Arial, or what fontconfig puts in its place), images Cairo's scaling.
class CairoPainter : public Painter {
public:
    explicit CairoPainter(RasterSurface& surface);
    ~CairoPainter() override;
    CairoPainter(const CairoPainter&) = delete;
    CairoPainter& operator=(const CairoPainter&) = delete;

    void set_antialias(bool on) override;
    void clear(Colour colour) override;
    void move_to(double x, double y) override;
    void line_to(double x, double y) override;
    void close_path() override;
    void fill(Colour colour) override;
    void fill_and_stroke(Colour fill, const StrokeStyle& stroke) override;
    void stroke(const StrokeStyle& style) override;
    TextExtent measure_text(std::string_view utf8, const TextStyle& style) override;
    void draw_text(double x, double y, double angle, std::string_view utf8, const TextStyle& style) override;
    void draw_image(const ImageView& image, double x, double y, double width, double height) override;
    void flush() override;

private:
    void select_font(const TextStyle& style);
    void set_colour(Colour colour);
    PixelTarget target();
    void begin_raster();
    void end_raster();

    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    std::string m_text;  // NUL-terminated copy of the text being drawn, reused
    double m_font_size = -1;
    bool m_font_bold = false;
    bool m_antialias = true;
    std::unique_ptr<CoverageRaster> m_raster;
};

}  // namespace tolm::platform
