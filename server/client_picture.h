#pragma once

#include "platform/dispatch.h"
#include "platform/variant.h"

#include <cstdint>

namespace tolm::server {

// The client's picture box, as the server draws into it. The client's objects are bound late, by
// member name; this class names the picture's members once and gives each its type, so the rest of
// the server calls typed members. Every call finds the member by name on the client's object, as the
// client expects; a missing picture raises error 91 and a missing member error 438.
//
// A handle: copies share the client's picture.
class ClientPicture {
public:
    explicit ClientPicture(ObjectRef picture);

    // ScaleMode values the server uses.
    static constexpr std::int16_t k_scale_pixels = 3;
    // FillStyle: solid.
    static constexpr std::int16_t k_fill_solid = 0;
    // DrawMode: the pen's own colour.
    static constexpr std::int16_t k_copy_pen = 13;

    void set_scale_mode(std::int16_t mode);
    // The scale: the picture's inner size and its top-left corner in the units of the scale.
    double scale_width() const;
    double scale_height() const;
    void set_scale_width(double width);
    void set_scale_height(double height);
    void set_scale_left(double left);
    void set_scale_top(double top);

    // Colours are &HBBGGRR. Setting the background colour clears the drawing.
    void set_back_color(std::int32_t colour);
    void set_fill_color(std::int32_t colour);
    void set_fill_style(std::int16_t style);

    // Picture is the persistent image; a null picture clears it. Image is what is drawn now.
    void set_picture(ObjectRef picture);
    ObjectRef image() const;
    void cls();

    // The device context the picture's drawing goes to.
    std::int32_t hdc() const;

    // The pen.
    std::int16_t draw_width() const;
    void set_draw_width(std::int16_t width);
    std::int16_t draw_mode() const;
    void set_draw_mode(std::int16_t mode);
    std::int16_t draw_style() const;
    void set_draw_style(std::int16_t style);

    // A plain line (neither box nor fill) in the units of the scale.
    void line(double x1, double y1, double x2, double y2, std::int32_t colour);

    const ObjectRef& object() const noexcept { return m_picture; }

private:
    ObjectRef m_picture;
};

}  // namespace tolm::server
