#include "engine/map_view.h"

#include "platform/painter.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tolm::engine {

namespace {

constexpr double k_max_centre_latitude = 85.0;  // keeps the cosine away from zero near the poles
constexpr double k_world_north = 90.0, k_world_east = 180.0;
constexpr double k_world_height = 180.0, k_world_width = 360.0;

double clamp_degrees_per_pixel(double value) noexcept {
    if (!std::isfinite(value)) return degrees_per_pixel_at_zoom(MapView::k_min_zoom);
    return std::clamp(value, degrees_per_pixel_at_zoom(MapView::k_max_zoom), degrees_per_pixel_at_zoom(MapView::k_min_zoom));
}

}  // namespace

double degrees_per_pixel_at_zoom(double zoom) noexcept { return 360.0 / (256.0 * std::exp2(zoom)); }

MapView::MapView() { show_rectangle(-125.0, 50.0, -66.0, 24.0); }

void MapView::set_size(std::int32_t width, std::int32_t height) {
    if (width < 1 || height < 1)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "The map size must be at least one pixel each way.");
    platform::check_paint_size(width, height);
    m_width = width;
    m_height = height;
    keep_within_world();
}

// The view never shows more than the world, nor past its edges: at most 180 degrees of latitude and
// 360 of longitude, between 90 south and 90 north and between 180 west and 180 east. The scale is
// capped first (by height, then by width at the latitude the centre is moved to), then the centre
// moves so that the view lies inside. Only the centre and the scale change, so the map stays linear
// in longitude and latitude and the client's interpolation between the corners stays exact.
void MapView::keep_within_world() noexcept {
    double dpp = std::min(m_degrees_per_pixel, k_world_height / m_height);
    const double half_height = dpp * m_height / 2.0;
    const double lat_limit = std::min(k_max_centre_latitude, k_world_north - half_height);
    const double lat = std::clamp(m_centre.lat, -lat_limit, lat_limit);
    const double cosine = std::cos(lat * std::numbers::pi / 180.0);
    dpp = std::min(dpp, k_world_width * cosine / m_width);
    m_degrees_per_pixel = dpp;
    const double half_width = dpp / cosine * m_width / 2.0;
    const double lon_limit = std::max(0.0, k_world_east - half_width);
    m_centre = {std::clamp(m_centre.lon, -lon_limit, lon_limit), lat};
}

void MapView::show_rectangle(double x1, double y1, double x2, double y2) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine", "The rectangle's corners must be numbers.");
    // What lies beyond the world is cut off: corners far outside ask for no more than all of it.
    x1 = std::clamp(x1, -k_world_east, k_world_east);
    x2 = std::clamp(x2, -k_world_east, k_world_east);
    y1 = std::clamp(y1, -k_world_north, k_world_north);
    y2 = std::clamp(y2, -k_world_north, k_world_north);
    m_centre = {(x1 + x2) / 2, std::clamp((y1 + y2) / 2, -k_max_centre_latitude, k_max_centre_latitude)};
    const double cosine = std::cos(m_centre.lat * std::numbers::pi / 180.0);
    const double by_height = std::abs(y1 - y2) / m_height;
    const double by_width = std::abs(x1 - x2) * cosine / m_width;
    m_degrees_per_pixel = clamp_degrees_per_pixel(std::max(by_height, by_width));
    keep_within_world();
}

void MapView::centre_on(double lon, double lat) {
    if (!std::isfinite(lon) || !std::isfinite(lat))
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine", "The centre must be a position.");
    if (std::abs(lon) > k_world_east || std::abs(lat) > k_world_north)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "No place on earth lies at longitude " + std::to_string(lon) + ", latitude " + std::to_string(lat) +
                               " (longitudes run from -180 to 180, latitudes from -90 to 90).");
    m_centre = {lon, std::clamp(lat, -k_max_centre_latitude, k_max_centre_latitude)};
    keep_within_world();
}

void MapView::set_zoom(double zoom) {
    if (std::isnan(zoom)) throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine", "The zoom level must be a number.");
    m_degrees_per_pixel = degrees_per_pixel_at_zoom(std::clamp(zoom, k_min_zoom, k_max_zoom));
    keep_within_world();
}

double MapView::zoom() const noexcept { return std::log2(360.0 / (256.0 * m_degrees_per_pixel)); }

void MapView::zoom_in() {
    m_degrees_per_pixel = clamp_degrees_per_pixel(m_degrees_per_pixel / 2);
    keep_within_world();
}
void MapView::zoom_out() {
    m_degrees_per_pixel = clamp_degrees_per_pixel(m_degrees_per_pixel * 2);
    keep_within_world();
}

void MapView::pan(std::int32_t code) {
    int dx = 0, dy = 0;
    switch (static_cast<PanDirection>(code)) {
    case PanDirection::south_west: dx = -1; dy = -1; break;
    case PanDirection::south: dy = -1; break;
    case PanDirection::south_east: dx = 1; dy = -1; break;
    case PanDirection::west: dx = -1; break;
    case PanDirection::east: dx = 1; break;
    case PanDirection::north_west: dx = -1; dy = 1; break;
    case PanDirection::north: dy = 1; break;
    case PanDirection::north_east: dx = 1; dy = 1; break;
    default:
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "Unknown pan direction " + std::to_string(code) + "; use 1-4 or 6-9 as on the numeric keypad.");
    }
    // The east-west step is measured at the middle latitude of the move, so that a pan and its
    // opposite come back to the same place.
    const double new_lat = std::clamp(m_centre.lat + dy * m_degrees_per_pixel * m_height / 2.0, -k_max_centre_latitude,
                                      k_max_centre_latitude);
    const double mid_lat = (m_centre.lat + new_lat) / 2;
    m_centre.lon += dx * m_degrees_per_pixel / std::cos(mid_lat * std::numbers::pi / 180.0) * m_width / 2.0;
    m_centre.lat = new_lat;
    keep_within_world();
}

double MapView::degrees_per_pixel_x() const noexcept {
    return m_degrees_per_pixel / std::cos(m_centre.lat * std::numbers::pi / 180.0);
}

Extent MapView::extent() const noexcept {
    const double half_width = degrees_per_pixel_x() * m_width / 2.0;
    const double half_height = m_degrees_per_pixel * m_height / 2.0;
    return {m_centre.lon - half_width, m_centre.lon + half_width, m_centre.lat - half_height, m_centre.lat + half_height};
}

double MapView::to_pixel_x(double lon) const noexcept {
    const Extent e = extent();
    return (lon - e.west) / (e.east - e.west) * m_width;
}

double MapView::to_pixel_y(double lat) const noexcept {
    const Extent e = extent();
    return (e.north - lat) / (e.north - e.south) * m_height;
}

}  // namespace tolm::engine
