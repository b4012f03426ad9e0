#pragma once

#include "platform/raster/coverage_raster.h"
#include "platform/raster/glyph_outlines.h"
#include "platform/painter.h"

#include <memory>

namespace tolm::platform {

// What every painter of this product shares: the map's paths go through our coverage raster straight
// into the picture's pixels; a backend adds text and images with its platform's library (Cairo,
// GDI+) over the same pixels. The backend tells when its library must finish drawing before the
// raster writes, and learn afterwards that the pixels changed.
class RasterPainter : public Painter {
public:
    RasterPainter();
    ~RasterPainter() override;
    RasterPainter(const RasterPainter&) = delete;
    RasterPainter& operator=(const RasterPainter&) = delete;

    void set_antialias(bool on) override { m_antialias = on; }
    void move_to(double x, double y) override { m_raster->move_to(x, y); }
    void line_to(double x, double y) override { m_raster->line_to(x, y); }
    void lines_to(std::span<const PathPoint> points) override { m_raster->lines_to(points); }
    void close_path() override { m_raster->close_path(); }
    void fill(Colour colour) override;
    void begin_shaded(double x, double y, std::uint8_t shade) override { m_raster->begin_shaded(x, y, shade); }
    void shaded_lines_to(std::span<const PathPoint> points, std::span<const std::uint8_t> beyond) override {
        m_raster->shaded_lines_to(points, beyond);
    }
    void fill_shades(std::span<const Colour> colours) override;
    void fill_and_stroke(Colour fill, const StrokeStyle& stroke) override;
    void stroke(const StrokeStyle& style) override;
    // A stroke is painted from the marks of an earlier one only within one picture.
    void flush() override { m_raster->forget_strokes(); }

protected:
    // The pixels the raster paints into.
    virtual PixelTarget pixels() = 0;
    // The backend's own drawing is finished before the raster writes, and learns of it afterwards.
    virtual void before_raster() {}
    virtual void after_raster() {}

    // Paints the glyph outlines the backend laid as the current path: stroked wide in the halo
    // colour, then filled by the non-zero rule, so that overlapping strokes of a letter stay filled.
    void paint_haloed_outline(const TextStyle& style);

    CoverageRaster& raster() noexcept { return *m_raster; }
    // Haloed labels' outlines, kept by the thread across the painters made for its paints.
    GlyphOutlines& glyph_outlines() noexcept { return *m_outlines; }
    bool antialias() const noexcept { return m_antialias; }

private:
    std::unique_ptr<CoverageRaster> m_raster;
    std::unique_ptr<GlyphOutlines> m_outlines;
    bool m_antialias = true;
};

}  // namespace tolm::platform
