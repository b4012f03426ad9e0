#include "platform/posix/cairo_painter.h"

#include "platform/runtime_error.h"

#include <cmath>

namespace tolm::platform {

namespace {

const char* const k_map_font = "Arial";

class SurfacePainter : public CairoPainter {
public:
    explicit SurfacePainter(std::shared_ptr<RasterSurface> surface) : CairoPainter(*surface), m_surface(std::move(surface)) {}

private:
    std::shared_ptr<RasterSurface> m_surface;  // the client may release its picture while we paint
};

}  // namespace

CairoPainter::CairoPainter(RasterSurface& surface) {
    m_surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(surface.pixels()), CAIRO_FORMAT_ARGB32,
                                                    surface.width(), surface.height(), surface.width() * 4);
    m_cr = cairo_create(m_surface);
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(m_cr);
        cairo_surface_destroy(m_surface);
        throw RuntimeError(runtime_errors::invalid_procedure_call, "CairoPainter", "Cannot paint into the picture.");
    }
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);
}

CairoPainter::~CairoPainter() {
    cairo_surface_flush(m_surface);
    cairo_destroy(m_cr);
    cairo_surface_destroy(m_surface);
}

void CairoPainter::set_antialias(bool on) {
    RasterPainter::set_antialias(on);
    cairo_set_antialias(m_cr, on ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
}

void CairoPainter::set_colour(Colour colour) {
    cairo_set_source_rgba(m_cr, colour.red(), colour.green(), colour.blue(), colour.alpha());
}

void CairoPainter::clear(Colour colour) {
    cairo_save(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    set_colour(colour);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

PixelTarget CairoPainter::pixels() {
    return {reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(m_surface)), cairo_image_surface_get_width(m_surface),
            cairo_image_surface_get_height(m_surface), cairo_image_surface_get_stride(m_surface) / 4};
}

// Cairo and the raster share the pixels: Cairo finishes its drawing before the raster writes, and
// learns afterwards that the pixels changed under it.
void CairoPainter::before_raster() { cairo_surface_flush(m_surface); }
void CairoPainter::after_raster() { cairo_surface_mark_dirty(m_surface); }

void CairoPainter::select_font(const TextStyle& style) {
    if (style.size == m_font_size && style.bold == m_font_bold) return;
    cairo_select_font_face(m_cr, k_map_font, CAIRO_FONT_SLANT_NORMAL, style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_cr, style.size);
    m_font_size = style.size;
    m_font_bold = style.bold;
}

TextExtent CairoPainter::measure_text(std::string_view utf8, const TextStyle& style) {
    select_font(style);
    m_text.assign(utf8);
    cairo_text_extents_t text{};
    cairo_text_extents(m_cr, m_text.c_str(), &text);
    cairo_font_extents_t font{};
    cairo_font_extents(m_cr, &font);
    return {text.x_advance, font.ascent + font.descent, font.ascent};
}

void CairoPainter::draw_text(double x, double y, double angle, std::string_view utf8, const TextStyle& style) {
    select_font(style);
    m_text.assign(utf8);
    if (style.halo_width <= 0) {
        cairo_save(m_cr);
        cairo_translate(m_cr, x, y);
        if (angle != 0) cairo_rotate(m_cr, angle);
        cairo_move_to(m_cr, 0, 0);
        set_colour(style.colour);
        cairo_show_text(m_cr, m_text.c_str());
        cairo_restore(m_cr);
        return;
    }
    // A haloed label is its glyphs' outlines stroked wide in the halo colour and then filled:
    // Cairo gives the outlines, our raster paints them (Cairo's own stroker spends milliseconds on
    // a single label's curves). The outline is made unturned at the origin once and kept.
    const bool turned = angle != 0;
    const std::vector<OutlinePoint>* outline = glyph_outlines().find(utf8, style.size, style.bold, turned);
    if (!outline) outline = &glyph_outlines().keep(utf8, style.size, style.bold, turned, text_outline(turned));
    GlyphOutlines::trace(*outline, x, y, angle, raster());
    paint_haloed_outline(style);
}

std::vector<OutlinePoint> CairoPainter::text_outline(bool turned) {
    std::vector<OutlinePoint> points;
    cairo_save(m_cr);
    if (turned) {
        // Cairo fits glyph outlines to the pixel grid only where the text runs level (their
        // advances it rounds either way); a turned label's outline is made as Cairo would turn it.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_set_font_options(m_cr, options);
        cairo_font_options_destroy(options);
    }
    cairo_new_path(m_cr);
    cairo_move_to(m_cr, 0, 0);
    cairo_text_path(m_cr, m_text.c_str());
    // Curves of letters flattened to a quarter pixel: finer adds edges, not looks.
    cairo_set_tolerance(m_cr, 0.25);
    cairo_path_t* outline = cairo_copy_path_flat(m_cr);
    cairo_restore(m_cr);
    cairo_new_path(m_cr);
    if (outline && outline->status == CAIRO_STATUS_SUCCESS) {
        for (int i = 0; i < outline->num_data; i += outline->data[i].header.length) {
            const cairo_path_data_t& element = outline->data[i];
            switch (element.header.type) {
            case CAIRO_PATH_MOVE_TO:
                points.push_back({outline->data[i + 1].point.x, outline->data[i + 1].point.y, OutlinePoint::Kind::move});
                break;
            case CAIRO_PATH_LINE_TO:
                points.push_back({outline->data[i + 1].point.x, outline->data[i + 1].point.y, OutlinePoint::Kind::line});
                break;
            case CAIRO_PATH_CLOSE_PATH: points.push_back({0, 0, OutlinePoint::Kind::close}); break;
            case CAIRO_PATH_CURVE_TO: break;  // a flattened path has none
            }
        }
    }
    cairo_path_destroy(outline);
    return points;
}

void CairoPainter::draw_image(const ImageView& image, double x, double y, double width, double height) {
    if (!image.pixels || image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0) return;
    cairo_surface_t* source = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(image.pixels)), CAIRO_FORMAT_ARGB32, image.width,
        image.height, image.stride * 4);
    cairo_save(m_cr);
    cairo_translate(m_cr, x, y);
    cairo_scale(m_cr, width / image.width, height / image.height);
    cairo_set_source_surface(m_cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_GOOD);
    cairo_rectangle(m_cr, 0, 0, image.width, image.height);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    cairo_surface_destroy(source);
}

void CairoPainter::flush() {
    RasterPainter::flush();
    cairo_surface_flush(m_surface);
}

std::unique_ptr<Painter> painter_for_device_context(std::intptr_t hdc) {
    auto surface = find_surface(hdc);
    if (!surface)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "The device context " + std::to_string(hdc) + " is not a picture that can be painted.");
    check_paint_size(surface->width(), surface->height());
    return std::make_unique<SurfacePainter>(std::move(surface));
}

}  // namespace tolm::platform
