#include "platform/raster/raster_surface.h"

#include "platform/process_services.h"
#include "platform/runtime_error.h"

#include <algorithm>

namespace tolm::platform {

namespace {

std::size_t checked_area(std::int32_t width, std::int32_t height) {
    // 32767 pixels a side is the largest picture box the client can make.
    if (width < 0 || height < 0 || width > 32767 || height > 32767)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "RasterSurface",
                           "A surface of " + std::to_string(width) + " x " + std::to_string(height) + " pixels cannot be made.");
    return std::size_t(width) * std::size_t(height);
}

}  // namespace

RasterSurface::RasterSurface(std::int32_t width, std::int32_t height, std::uint32_t fill_argb)
    : m_width(width), m_height(height), m_pixels(checked_area(width, height), fill_argb) {}

std::uint32_t RasterSurface::pixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        throw RuntimeError(runtime_errors::subscript_out_of_range, "RasterSurface", "The pixel lies outside the surface.");
    return m_pixels[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
}

void RasterSurface::fill(std::uint32_t argb) { std::fill(m_pixels.begin(), m_pixels.end(), argb); }

void RasterSurface::resize(std::int32_t width, std::int32_t height, std::uint32_t fill_argb) {
    m_pixels.assign(checked_area(width, height), fill_argb);
    m_width = width;
    m_height = height;
}

std::intptr_t register_surface(std::shared_ptr<RasterSurface> surface) {
    if (!surface) throw RuntimeError(runtime_errors::object_variable_not_set, "RasterSurface", "No surface to register.");
    // The table is the process's (platform/process_services.h): the host makes a picture box's
    // surface, the engine inside the server library paints it.
    return process_services().register_surface(std::move(surface));
}

std::shared_ptr<RasterSurface> find_surface(std::intptr_t hdc) {
    return process_services().find_surface(hdc);
}

void unregister_surface(std::intptr_t hdc) {
    process_services().unregister_surface(hdc);
}

}  // namespace tolm::platform
