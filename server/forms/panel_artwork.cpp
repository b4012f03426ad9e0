#include "server/forms/panel_artwork.h"

#include <array>
#include <utility>

namespace tolm::server {

namespace {

using Point = std::pair<double, double>;

// The outline, in design pixels of the 300 x 169 picture: a plain rendering of the lower 48 states.
constexpr std::array<Point, 22> k_land{{
    {22, 28},  {70, 30},  {128, 34}, {168, 36}, {190, 46}, {206, 40}, {232, 44}, {258, 30}, {272, 36}, {262, 58},
    {246, 74}, {240, 96}, {224, 110}, {236, 140}, {226, 146}, {206, 118}, {178, 120}, {150, 136}, {136, 124},
    {104, 120}, {62, 106}, {30, 78},
}};
// Highways across the land.
constexpr std::array<std::array<Point, 4>, 3> k_roads{{
    {{{30, 56}, {100, 62}, {170, 66}, {250, 52}}},
    {{{58, 100}, {120, 104}, {180, 98}, {232, 84}}},
    {{{150, 40}, {146, 70}, {150, 100}, {148, 128}}},
}};

}  // namespace

void PaintPanelArtwork(platform::Painter& painter, std::int32_t width, std::int32_t height) {
    const double sx = static_cast<double>(width) / k_panel_artwork_width;
    const double sy = static_cast<double>(height) / k_panel_artwork_height;
    painter.set_antialias(true);
    painter.clear(platform::Colour::from_bgr(k_artwork_sea));

    painter.move_to(k_land[0].first * sx, k_land[0].second * sy);
    for (std::size_t i = 1; i < k_land.size(); ++i) painter.line_to(k_land[i].first * sx, k_land[i].second * sy);
    painter.close_path();
    platform::StrokeStyle coast{platform::Colour::from_bgr(0x808080), 1.0 * sx};
    painter.fill_and_stroke(platform::Colour::from_bgr(k_artwork_land), coast);

    const platform::StrokeStyle road{platform::Colour::from_bgr(0x3060E0), 2.0 * sx};
    for (const auto& line : k_roads) {
        painter.move_to(line[0].first * sx, line[0].second * sy);
        for (std::size_t i = 1; i < line.size(); ++i) painter.line_to(line[i].first * sx, line[i].second * sy);
        painter.stroke(road);
    }

    platform::TextStyle title;
    title.size = 22.0 * sy;
    title.bold = true;
    title.colour = platform::Colour::from_bgr(0x402000);
    title.halo = platform::Colour::from_bgr(0xFFFFFF);
    title.halo_width = 2.0 * sy;
    const platform::TextExtent extent = painter.measure_text("TolmServer7", title);
    painter.draw_text((width - extent.width) / 2, 160.0 * sy, 0.0, "TolmServer7", title);
    painter.flush();
}

}  // namespace tolm::server
