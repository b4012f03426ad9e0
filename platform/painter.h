#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

// The painter port: what the map engine needs of a 2-D drawing library. Cairo paints on Linux
// (platform/posix/cairo_painter.h); a GDI+ painter fills the same port on Windows.
namespace tolm::platform {

// A colour with alpha, 0xAARRGGBB.
struct Colour {
    std::uint32_t argb = 0xFF000000u;

    static constexpr Colour from_bgr(std::uint32_t bgr, std::uint8_t alpha = 255) noexcept {
        // Windows colour values are &HBBGGRR.
        return {(std::uint32_t(alpha) << 24) | ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu)};
    }
    constexpr double red() const noexcept { return ((argb >> 16) & 0xFFu) / 255.0; }
    constexpr double green() const noexcept { return ((argb >> 8) & 0xFFu) / 255.0; }
    constexpr double blue() const noexcept { return (argb & 0xFFu) / 255.0; }
    constexpr double alpha() const noexcept { return ((argb >> 24) & 0xFFu) / 255.0; }
    bool operator==(const Colour&) const = default;
};

enum class LineCap : std::uint8_t { butt, round, square };

struct StrokeStyle {
    Colour colour;
    double width = 1.0;
    LineCap cap = LineCap::round;  // the two ends of each open subpath; joins are round
};

struct TextStyle {
    double size = 11.0;  // pixels
    bool bold = false;
    Colour colour;
    Colour halo{0xFFFFFFFFu};
    double halo_width = 0.0;  // 0: no halo
};

struct TextExtent {
    double width = 0;
    double height = 0;  // ascent + descent
    double ascent = 0;
};

// An image of 32-bit premultiplied ARGB pixels, rows top to bottom.
struct ImageView {
    const std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;  // in pixels
};

// A point of a path, in pixels.
struct PathPoint {
    double x, y;
};

// Shades of one fill_shades are numbered from 0, below k_most_shades. An edge of a shaded area
// bounds that area alone, or another shade's area too, or is left to the area beyond it.
inline constexpr std::size_t k_most_shades = 15;
inline constexpr std::uint8_t k_edge_alone = 255;
inline constexpr std::uint8_t k_edge_left_out = 254;

// Paths are built with move_to/line_to/close_path and consumed by fill or stroke. Coordinates are
// pixels, (0, 0) at the top left.
class Painter {
public:
    virtual ~Painter() = default;

    virtual void set_antialias(bool on) = 0;
    virtual void clear(Colour colour) = 0;

    virtual void move_to(double x, double y) = 0;
    virtual void line_to(double x, double y) = 0;
    // line_to each of the points in turn: a map's rings come a few thousand points at a time.
    virtual void lines_to(std::span<const PathPoint> points) {
        for (const PathPoint& p : points) line_to(p.x, p.y);
    }
    virtual void close_path() = 0;
    // Fills the current path (even-odd rule) and starts a new one.
    virtual void fill(Colour colour) = 0;

    // Areas that tile the map in a few shades (counties, states) are filled together. Each area's
    // ring is a subpath of its shade, begun with begin_shaded. An edge that two areas in view share
    // is given by one of them with the other's shade beyond it, and bounds both; the other leaves
    // it out. fill_shades fills every subpath in its shade's colour, the colours laid in their
    // order (even-odd, as fill), and starts a new path.
    virtual void begin_shaded(double x, double y, std::uint8_t shade) = 0;
    // Edges to each of `points` in turn; beyond[i] tells of the edge that ends at points[i]: a
    // shade, k_edge_alone or k_edge_left_out.
    virtual void shaded_lines_to(std::span<const PathPoint> points, std::span<const std::uint8_t> beyond) = 0;
    virtual void fill_shades(std::span<const Colour> colours) = 0;
    // Fills the current path and then strokes it, and starts a new one.
    virtual void fill_and_stroke(Colour fill, const StrokeStyle& stroke) = 0;
    virtual void stroke(const StrokeStyle& style) = 0;

    virtual TextExtent measure_text(std::string_view utf8, const TextStyle& style) = 0;
    // Text whose baseline starts at (x, y), turned by `angle` radians clockwise about that point.
    virtual void draw_text(double x, double y, double angle, std::string_view utf8, const TextStyle& style) = 0;

    // Draws the image scaled into the rectangle.
    virtual void draw_image(const ImageView& image, double x, double y, double width, double height) = 0;

    // Pushes everything painted so far to the device.
    virtual void flush() = 0;
};

// The largest picture that is painted: 16,384 pixels a side and 40,000,000 pixels in all (a screen
// of 7,680 x 4,320 fits). The raster keeps several picture-sized masks while it paints, about 30
// bytes a pixel, so a larger picture would hold gigabytes inside the client's call.
inline constexpr std::int32_t k_max_paint_side = 16384;
inline constexpr std::int64_t k_max_paint_pixels = 40'000'000;

// Raises RuntimeError 5, naming the size and the limit, for a picture larger than that.
void check_paint_size(std::int32_t width, std::int32_t height);

// A painter for a device context handle: on Linux an hDC of the raster surface table
// (platform/raster/raster_surface.h), on Windows a real HDC. Raises RuntimeError when the handle is unknown
// or the picture is larger than check_paint_size allows.
std::unique_ptr<Painter> painter_for_device_context(std::intptr_t hdc);

}  // namespace tolm::platform
