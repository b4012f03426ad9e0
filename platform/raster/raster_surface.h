#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A headless device context: a 32-bit ARGB pixel buffer that stands for a picture box's drawing
// surface in the Linux build. The client hands its picture box's hDC to the server as a Long; here
// that number is a handle into a process-wide table of raster surfaces, shared by the host program and
// the server library that it loads.
namespace tolm::platform {

class RasterSurface {
public:
    RasterSurface(std::int32_t width, std::int32_t height, std::uint32_t fill_argb = 0xFFFFFFFFu);

    std::int32_t width() const noexcept { return m_width; }
    std::int32_t height() const noexcept { return m_height; }
    // Premultiplied ARGB, rows top to bottom, stride == width.
    std::uint32_t* pixels() noexcept { return m_pixels.data(); }
    const std::uint32_t* pixels() const noexcept { return m_pixels.data(); }
    std::uint32_t pixel(std::int32_t x, std::int32_t y) const;

    void fill(std::uint32_t argb);
    // Changes the size; the contents become `fill_argb`.
    void resize(std::int32_t width, std::int32_t height, std::uint32_t fill_argb = 0xFFFFFFFFu);

private:
    std::int32_t m_width;
    std::int32_t m_height;
    std::vector<std::uint32_t> m_pixels;
};

// The process-wide table of device contexts. Handles are never 0 and never reused in a process.
std::intptr_t register_surface(std::shared_ptr<RasterSurface> surface);
std::shared_ptr<RasterSurface> find_surface(std::intptr_t hdc);
void unregister_surface(std::intptr_t hdc);

// Writes the surface as a PNG file (libpng on Linux, GDI+ on Windows). Raises RuntimeError on
// failure; the file is written beside its final name and renamed over it.
void write_png(const RasterSurface& surface, const std::string& path);

}  // namespace tolm::platform
