#include "server/forms/panel_artwork.h"

#include <algorithm>
#include <array>
#include <cmath>
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

void PaintAboutArtwork(platform::Painter& painter, std::int32_t width, std::int32_t height) {
    const double sx = static_cast<double>(width) / k_about_artwork_width;
    const double sy = static_cast<double>(height) / k_about_artwork_height;
    painter.set_antialias(true);
    painter.clear(platform::Colour::from_bgr(k_artwork_sea));

    // The land the mast stands on.
    painter.move_to(0, 70 * sy);
    painter.line_to(20 * sx, 66 * sy);
    painter.line_to(42 * sx, 69 * sy);
    painter.line_to(60 * sx, 64 * sy);
    painter.line_to(60 * sx, 87 * sy);
    painter.line_to(0, 87 * sy);
    painter.close_path();
    painter.fill(platform::Colour::from_bgr(k_artwork_land));

    // A lattice mast: two legs meeting at the top, cross braces between them.
    const platform::StrokeStyle steel{platform::Colour::from_bgr(0x404040), 1.2 * sx};
    const double top_x = 30 * sx, top_y = 22 * sy, foot_y = 70 * sy;
    painter.move_to(22 * sx, foot_y);
    painter.line_to(top_x, top_y);
    painter.line_to(38 * sx, foot_y);
    painter.stroke(steel);
    for (int i = 0; i < 4; ++i) {
        const double y0 = top_y + (foot_y - top_y) * (0.25 + 0.19 * i);
        const double y1 = top_y + (foot_y - top_y) * (0.25 + 0.19 * (i + 1));
        const double half0 = 8 * sx * (y0 - top_y) / (foot_y - top_y);
        const double half1 = 8 * sx * (y1 - top_y) / (foot_y - top_y);
        painter.move_to(top_x - half0, y0);
        painter.line_to(top_x + half1, std::min(y1, foot_y));
        painter.stroke(steel);
    }

    // The signal: arcs on both sides of the mast's top, drawn as short polylines.
    const platform::StrokeStyle wave{platform::Colour::from_bgr(0x3060E0), 1.4 * sx};
    for (int ring = 1; ring <= 3; ++ring) {
        const double radius = 6.0 * ring;
        for (int side = -1; side <= 1; side += 2) {
            for (int step = 0; step <= 8; ++step) {
                const double angle = (-40.0 + 10.0 * step) * 3.14159265358979 / 180.0;
                const double x = top_x + side * radius * std::cos(angle) * sx;
                const double y = top_y + radius * std::sin(angle) * sy;
                if (step == 0)
                    painter.move_to(x, y);
                else
                    painter.line_to(x, y);
            }
            painter.stroke(wave);
        }
    }
    painter.flush();
}

}  // namespace tolm::server
