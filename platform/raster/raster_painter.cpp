#include "platform/raster/raster_painter.h"

#include "platform/runtime_error.h"

#include <string>

namespace tolm::platform {

namespace {

// The server makes a painter for every paint; the raster's buffers (a few picture-sized masks and
// the cells of the largest fill) outlive it here, so that paints after the first allocate nothing
// for them.
thread_local std::unique_ptr<CoverageRaster> t_spare_raster;
// Likewise the labels' outlines, which the next paint mostly draws again.
thread_local std::unique_ptr<GlyphOutlines> t_spare_outlines;

}  // namespace

void check_paint_size(std::int32_t width, std::int32_t height) {
    if (width > k_max_paint_side || height > k_max_paint_side || std::int64_t(width) * height > k_max_paint_pixels)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                               " pixels is larger than the most that is painted (" + std::to_string(k_max_paint_side) +
                               " pixels a side, " + std::to_string(k_max_paint_pixels) + " pixels in all).");
}

RasterPainter::RasterPainter()
    : m_raster(t_spare_raster ? std::move(t_spare_raster) : std::make_unique<CoverageRaster>()),
      m_outlines(t_spare_outlines ? std::move(t_spare_outlines) : std::make_unique<GlyphOutlines>()) {
    m_raster->clear_path();
    m_raster->forget_strokes();
}

RasterPainter::~RasterPainter() {
    if (!t_spare_raster) t_spare_raster = std::move(m_raster);
    if (!t_spare_outlines) t_spare_outlines = std::move(m_outlines);
}

void RasterPainter::fill(Colour colour) {
    before_raster();
    m_raster->fill(pixels(), colour, FillRule::even_odd, m_antialias);
    m_raster->clear_path();
    after_raster();
}

void RasterPainter::fill_shades(std::span<const Colour> colours) {
    before_raster();
    m_raster->fill_shades(pixels(), colours, FillRule::even_odd, m_antialias);
    m_raster->clear_path();
    after_raster();
}

void RasterPainter::fill_and_stroke(Colour fill_colour, const StrokeStyle& style) {
    before_raster();
    m_raster->fill(pixels(), fill_colour, FillRule::even_odd, m_antialias);
    m_raster->stroke(pixels(), style, m_antialias, CoverageRaster::PathAfter::cleared);
    m_raster->clear_path();
    after_raster();
}

void RasterPainter::stroke(const StrokeStyle& style) {
    before_raster();
    m_raster->stroke(pixels(), style, m_antialias, CoverageRaster::PathAfter::cleared);
    m_raster->clear_path();
    after_raster();
}

void RasterPainter::paint_haloed_outline(const TextStyle& style) {
    before_raster();
    m_raster->stroke(pixels(), {style.halo, style.halo_width * 2, LineCap::round}, m_antialias);
    m_raster->fill(pixels(), style.colour, FillRule::non_zero, m_antialias);
    m_raster->clear_path();
    after_raster();
}

}  // namespace tolm::platform
