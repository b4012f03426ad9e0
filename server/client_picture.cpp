#include "server/client_picture.h"

#include <utility>

namespace tolm::server {

ClientPicture::ClientPicture(ObjectRef picture) : m_picture(std::move(picture)) {}

void ClientPicture::set_scale_mode(std::int16_t mode) { put_property(m_picture, "ScaleMode", Variant(mode)); }

double ClientPicture::scale_width() const { return get_property(m_picture, "ScaleWidth").to_double(); }
double ClientPicture::scale_height() const { return get_property(m_picture, "ScaleHeight").to_double(); }
void ClientPicture::set_scale_width(double width) { put_property(m_picture, "ScaleWidth", Variant(width)); }
void ClientPicture::set_scale_height(double height) { put_property(m_picture, "ScaleHeight", Variant(height)); }
void ClientPicture::set_scale_left(double left) { put_property(m_picture, "ScaleLeft", Variant(left)); }
void ClientPicture::set_scale_top(double top) { put_property(m_picture, "ScaleTop", Variant(top)); }

void ClientPicture::set_back_color(std::int32_t colour) { put_property(m_picture, "BackColor", Variant(colour)); }
void ClientPicture::set_fill_color(std::int32_t colour) { put_property(m_picture, "FillColor", Variant(colour)); }
void ClientPicture::set_fill_style(std::int16_t style) { put_property(m_picture, "FillStyle", Variant(style)); }

void ClientPicture::set_picture(ObjectRef picture) { putref_property(m_picture, "Picture", std::move(picture)); }
ObjectRef ClientPicture::image() const { return get_property(m_picture, "Image").to_object(); }
void ClientPicture::cls() { call_method(m_picture, "Cls"); }

std::int32_t ClientPicture::hdc() const { return get_property(m_picture, "hDC").to_int32(); }

std::int16_t ClientPicture::draw_width() const { return get_property(m_picture, "DrawWidth").to_int16(); }
void ClientPicture::set_draw_width(std::int16_t width) { put_property(m_picture, "DrawWidth", Variant(width)); }
std::int16_t ClientPicture::draw_mode() const { return get_property(m_picture, "DrawMode").to_int16(); }
void ClientPicture::set_draw_mode(std::int16_t mode) { put_property(m_picture, "DrawMode", Variant(mode)); }
std::int16_t ClientPicture::draw_style() const { return get_property(m_picture, "DrawStyle").to_int16(); }
void ClientPicture::set_draw_style(std::int16_t style) { put_property(m_picture, "DrawStyle", Variant(style)); }

void ClientPicture::line(double x1, double y1, double x2, double y2, std::int32_t colour) {
    const std::int16_t plain = 0;
    call_method(m_picture, "Line", {Variant(plain), Variant(x1), Variant(y1), Variant(x2), Variant(y2), Variant(colour)});
}

}  // namespace tolm::server
