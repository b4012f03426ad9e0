#pragma once

#include "platform/dispatch.h"
#include "platform/raster/raster_surface.h"

#include <cstdint>
#include <memory>
#include <string>

// The client's side of a drawing, simulated for tests and the command-line host: a picture box bound
// late by member name, as the client's own picture box is. Its device context is a raster surface
// registered in the process's table, so the engine inside the server library paints into it.
namespace tolm::host {

// A picture object as the picture box's Picture and Image properties hand them out: a snapshot of
// pixels with a handle, width and height.
class PictureObject : public DynamicDispatch {
public:
    explicit PictureObject(std::shared_ptr<const platform::RasterSurface> pixels);
    const std::shared_ptr<const platform::RasterSurface>& pixels() const noexcept { return m_pixels; }

private:
    std::shared_ptr<const platform::RasterSurface> m_pixels;
};

// ScaleMode values of the client's forms package.
namespace scale_mode {
constexpr std::int16_t user = 0;
constexpr std::int16_t twips = 1;
constexpr std::int16_t points = 2;
constexpr std::int16_t pixels = 3;
}  // namespace scale_mode

// Flags of the Line method: draw a rectangle (B), filled with the line's colour (F).
namespace line_flags {
constexpr std::int16_t box = 1;
constexpr std::int16_t fill = 2;
}  // namespace line_flags

// Members: ScaleMode, ScaleWidth, ScaleHeight, ScaleLeft, ScaleTop, Width, Height (twips), BackColor,
// ForeColor, FillColor, FillStyle, Picture, Image, hDC, DrawMode, DrawWidth, DrawStyle, and the
// methods Line (flags, x1, y1, x2, y2, colour), Cls and Scale (flags, x1, y1, x2, y2; no arguments
// goes back to twips). Colours are &HBBGGRR. Setting BackColor or Picture, and Cls, repaint the box
// with its background colour and picture, erasing what was drawn.
class PictureBox : public DynamicDispatch {
public:
    PictureBox(std::int32_t width_pixels, std::int32_t height_pixels);
    ~PictureBox() override;
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    platform::RasterSurface& surface() noexcept { return *m_surface; }
    std::intptr_t hdc() const noexcept { return m_hdc; }
    bool has_picture() const noexcept { return m_picture != nullptr; }
    std::int32_t back_color() const noexcept { return m_back_color; }
    std::int16_t scale_mode() const noexcept { return m_scale_mode; }
    // The box as a PNG file.
    void write_png(const std::string& path) const;

private:
    double twips_per_unit_x() const;
    double twips_per_unit_y() const;
    double to_pixel_x(double x) const;
    double to_pixel_y(double y) const;
    void repaint_background();
    void draw_line(std::int16_t flags, double x1, double y1, double x2, double y2, std::int32_t colour);

    std::shared_ptr<platform::RasterSurface> m_surface;
    std::intptr_t m_hdc = 0;
    std::shared_ptr<PictureObject> m_picture;
    std::int16_t m_scale_mode = scale_mode::twips;
    double m_scale_left = 0;
    double m_scale_top = 0;
    double m_user_width = 0;
    double m_user_height = 0;
    std::int32_t m_back_color = 0xFFFFFF;
    std::int32_t m_fore_color = 0;
    std::int32_t m_fill_color = 0;
    std::int16_t m_fill_style = 1;  // transparent
    std::int16_t m_draw_mode = 13;  // copy pen
    std::int16_t m_draw_width = 1;
    std::int16_t m_draw_style = 0;
};

// Colour conversions between the client's &HBBGGRR and the surface's opaque ARGB.
std::uint32_t argb_of_colour(std::int32_t colour) noexcept;
std::int32_t colour_of_argb(std::uint32_t argb) noexcept;

}  // namespace tolm::host
