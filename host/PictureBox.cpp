#include "host/PictureBox.h"

#include "platform/runtime_error.h"
#include "platform/variant.h"

#include <algorithm>
#include <cmath>

namespace tolm::host {

namespace {

const char* const k_source = "PictureBox";
constexpr double k_twips_per_pixel = 15;

// Twips per unit of the fixed scale modes (1 to 7).
double fixed_twips_per_unit(std::int16_t mode, bool vertical) {
    switch (mode) {
        case 1: return 1;
        case 2: return 20;
        case 3: return k_twips_per_pixel;
        case 4: return vertical ? 240 : 120;
        case 5: return 1440;
        case 6: return 1440 / 25.4;
        case 7: return 1440 / 2.54;
        default: return 0;
    }
}

double arg_double(const Arguments& args, std::size_t i) { return i < args.size() ? args[i].to_double() : 0; }

}  // namespace

std::uint32_t argb_of_colour(std::int32_t colour) noexcept {
    const auto c = static_cast<std::uint32_t>(colour);
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

std::int32_t colour_of_argb(std::uint32_t argb) noexcept {
    return static_cast<std::int32_t>(((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16));
}

PictureObject::PictureObject(std::shared_ptr<const platform::RasterSurface> pixels) : m_pixels(std::move(pixels)) {
    add_property("Width", [this] { return Variant(static_cast<std::int32_t>(m_pixels->width() * 2540 / 96)); });
    add_property("Height", [this] { return Variant(static_cast<std::int32_t>(m_pixels->height() * 2540 / 96)); });
    add_property("Handle", [this] {
        return Variant(static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(m_pixels.get()) & 0x7FFFFFFF));
    });
}

PictureBox::PictureBox(std::int32_t width_pixels, std::int32_t height_pixels)
    : m_surface(std::make_shared<platform::RasterSurface>(width_pixels, height_pixels, argb_of_colour(0xFFFFFF))) {
    m_hdc = platform::register_surface(m_surface);

    add_property(
        "ScaleMode", [this] { return Variant(m_scale_mode); },
        [this](const Variant& v) {
            const std::int16_t mode = v.to_int16();
            if (mode < 0 || mode > 7) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            if (mode == scale_mode::user) {
                m_user_width = m_surface->width() * k_twips_per_pixel / twips_per_unit_x();
                m_user_height = m_surface->height() * k_twips_per_pixel / twips_per_unit_y();
            } else {
                m_scale_left = m_scale_top = 0;
            }
            m_scale_mode = mode;
        });
    add_property(
        "ScaleWidth", [this] { return Variant(m_surface->width() * k_twips_per_pixel / twips_per_unit_x()); },
        [this](const Variant& v) {
            const double width = v.to_double();
            if (width == 0) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            m_user_height = m_surface->height() * k_twips_per_pixel / twips_per_unit_y();
            m_user_width = width;
            m_scale_mode = scale_mode::user;
        });
    add_property(
        "ScaleHeight", [this] { return Variant(m_surface->height() * k_twips_per_pixel / twips_per_unit_y()); },
        [this](const Variant& v) {
            const double height = v.to_double();
            if (height == 0) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            m_user_width = m_surface->width() * k_twips_per_pixel / twips_per_unit_x();
            m_user_height = height;
            m_scale_mode = scale_mode::user;
        });
    add_property(
        "ScaleLeft", [this] { return Variant(m_scale_left); },
        [this](const Variant& v) {
            m_user_width = m_surface->width() * k_twips_per_pixel / twips_per_unit_x();
            m_user_height = m_surface->height() * k_twips_per_pixel / twips_per_unit_y();
            m_scale_left = v.to_double();
            m_scale_mode = scale_mode::user;
        });
    add_property(
        "ScaleTop", [this] { return Variant(m_scale_top); },
        [this](const Variant& v) {
            m_user_width = m_surface->width() * k_twips_per_pixel / twips_per_unit_x();
            m_user_height = m_surface->height() * k_twips_per_pixel / twips_per_unit_y();
            m_scale_top = v.to_double();
            m_scale_mode = scale_mode::user;
        });
    add_property("Width", [this] { return Variant(m_surface->width() * k_twips_per_pixel); });
    add_property("Height", [this] { return Variant(m_surface->height() * k_twips_per_pixel); });
    add_property(
        "BackColor", [this] { return Variant(m_back_color); },
        [this](const Variant& v) {
            m_back_color = v.to_int32();
            repaint_background();
        });
    add_property(
        "ForeColor", [this] { return Variant(m_fore_color); }, [this](const Variant& v) { m_fore_color = v.to_int32(); });
    add_property(
        "FillColor", [this] { return Variant(m_fill_color); }, [this](const Variant& v) { m_fill_color = v.to_int32(); });
    add_property(
        "FillStyle", [this] { return Variant(m_fill_style); },
        [this](const Variant& v) {
            const std::int16_t style = v.to_int16();
            if (style < 0 || style > 7) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            m_fill_style = style;
        });
    add_property(
        "DrawMode", [this] { return Variant(m_draw_mode); },
        [this](const Variant& v) {
            const std::int16_t mode = v.to_int16();
            if (mode < 1 || mode > 16) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            m_draw_mode = mode;
        });
    add_property(
        "DrawWidth", [this] { return Variant(m_draw_width); },
        [this](const Variant& v) {
            const std::int16_t width = v.to_int16();
            if (width < 1) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            m_draw_width = width;
        });
    add_property(
        "DrawStyle", [this] { return Variant(m_draw_style); },
        [this](const Variant& v) {
            const std::int16_t style = v.to_int16();
            if (style < 0 || style > 6) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
            m_draw_style = style;
        });
    add_property("hDC", [this] { return Variant(static_cast<std::int32_t>(m_hdc)); });
    add_property("Image", [this] {
        return Variant(ObjectRef(std::make_shared<PictureObject>(std::make_shared<platform::RasterSurface>(*m_surface))));
    });
    add_member("Picture", [this](InvokeKind kind, Arguments& args) -> Variant {
        if (kind == InvokeKind::property_get || kind == InvokeKind::method) {
            if (!m_picture) return Variant(ObjectRef());
            return Variant(ObjectRef(m_picture));
        }
        if (args.empty()) raise_runtime_error(runtime_errors::wrong_number_of_arguments, k_source);
        const Variant& value = args.back();
        if (value.is_empty()) {
            m_picture.reset();
        } else {
            ObjectRef object = value.to_object();
            if (object) {
                auto picture = std::dynamic_pointer_cast<PictureObject>(object);
                if (!picture) raise_runtime_error(runtime_errors::type_mismatch, k_source);
                m_picture = std::move(picture);
            } else {
                m_picture.reset();
            }
        }
        repaint_background();
        return {};
    });
    add_method("Cls", [this](Arguments&) {
        repaint_background();
        return Variant();
    });
    add_method("Line", [this](Arguments& args) {
        if (args.size() < 5) raise_runtime_error(runtime_errors::wrong_number_of_arguments, k_source);
        const std::int32_t colour = args.size() > 5 && !args[5].is_empty() ? args[5].to_int32() : m_fore_color;
        draw_line(args[0].to_int16(), args[1].to_double(), args[2].to_double(), args[3].to_double(),
                  args[4].to_double(), colour < 0 ? m_fore_color : colour);
        return Variant();
    });
    add_method("Scale", [this](Arguments& args) {
        if (args.size() < 5) {
            m_scale_mode = scale_mode::twips;
            m_scale_left = m_scale_top = 0;
            return Variant();
        }
        const double x1 = arg_double(args, 1), y1 = arg_double(args, 2), x2 = arg_double(args, 3),
                     y2 = arg_double(args, 4);
        if (x1 == x2 || y1 == y2) raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
        m_scale_mode = scale_mode::user;
        m_scale_left = x1;
        m_scale_top = y1;
        m_user_width = x2 - x1;
        m_user_height = y2 - y1;
        return Variant();
    });
}

PictureBox::~PictureBox() { platform::unregister_surface(m_hdc); }

void PictureBox::write_png(const std::string& path) const { platform::write_png(*m_surface, path); }

double PictureBox::twips_per_unit_x() const {
    if (m_scale_mode == scale_mode::user) return m_surface->width() * k_twips_per_pixel / m_user_width;
    return fixed_twips_per_unit(m_scale_mode, false);
}

double PictureBox::twips_per_unit_y() const {
    if (m_scale_mode == scale_mode::user) return m_surface->height() * k_twips_per_pixel / m_user_height;
    return fixed_twips_per_unit(m_scale_mode, true);
}

double PictureBox::to_pixel_x(double x) const { return (x - m_scale_left) * twips_per_unit_x() / k_twips_per_pixel; }
double PictureBox::to_pixel_y(double y) const { return (y - m_scale_top) * twips_per_unit_y() / k_twips_per_pixel; }

void PictureBox::repaint_background() {
    m_surface->fill(argb_of_colour(m_back_color));
    if (!m_picture) return;
    const auto& source = *m_picture->pixels();
    const std::int32_t width = std::min(source.width(), m_surface->width());
    const std::int32_t height = std::min(source.height(), m_surface->height());
    for (std::int32_t y = 0; y < height; ++y)
        std::copy_n(source.pixels() + std::size_t(y) * std::size_t(source.width()), width,
                    m_surface->pixels() + std::size_t(y) * std::size_t(m_surface->width()));
}

void PictureBox::draw_line(std::int16_t flags, double x1, double y1, double x2, double y2, std::int32_t colour) {
    const std::uint32_t argb = argb_of_colour(colour);
    const std::int32_t w = m_surface->width(), h = m_surface->height();
    auto plot = [&](std::int64_t x, std::int64_t y) {
        const std::int64_t half = (m_draw_width - 1) / 2;
        for (std::int64_t dy = -half; dy < m_draw_width - half; ++dy)
            for (std::int64_t dx = -half; dx < m_draw_width - half; ++dx) {
                const std::int64_t px = x + dx, py = y + dy;
                if (px >= 0 && py >= 0 && px < w && py < h)
                    m_surface->pixels()[std::size_t(py) * std::size_t(w) + std::size_t(px)] = argb;
            }
    };
    auto clamp = [](double v) { return std::clamp(v, -1.0e6, 1.0e6); };
    const double px1 = clamp(to_pixel_x(x1)), py1 = clamp(to_pixel_y(y1));
    const double px2 = clamp(to_pixel_x(x2)), py2 = clamp(to_pixel_y(y2));
    auto segment = [&](double ax, double ay, double bx, double by) {
        const auto steps = static_cast<std::int64_t>(std::ceil(std::max(std::fabs(bx - ax), std::fabs(by - ay))));
        for (std::int64_t i = 0; i <= steps; ++i) {
            const double t = steps == 0 ? 0 : double(i) / double(steps);
            plot(std::llround(std::floor(ax + (bx - ax) * t)), std::llround(std::floor(ay + (by - ay) * t)));
        }
    };
    if (!(flags & line_flags::box)) {
        segment(px1, py1, px2, py2);
        return;
    }
    if (flags & line_flags::fill) {
        const auto top = std::llround(std::min(py1, py2)), bottom = std::llround(std::max(py1, py2));
        for (auto y = top; y <= bottom; ++y) segment(std::min(px1, px2), double(y), std::max(px1, px2), double(y));
        return;
    }
    segment(px1, py1, px2, py1);
    segment(px2, py1, px2, py2);
    segment(px2, py2, px1, py2);
    segment(px1, py2, px1, py1);
}

}  // namespace tolm::host
