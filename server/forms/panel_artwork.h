#pragma once

#include "platform/painter.h"

#include <cstdint>

// The control panel's and the about box's pictures. The panel's: a small map-like drawing of our own (sea, the contiguous states as a
// simple outline, a few highways and the server's name), 300 x 169 pixels at its design size.
namespace tolm::server {

inline constexpr std::int32_t k_panel_artwork_width = 300;
inline constexpr std::int32_t k_panel_artwork_height = 169;
// Windows colour values (&HBBGGRR): the sea matches the maps' water, the land their usual background.
inline constexpr std::uint32_t k_artwork_sea = 0xE0BA96;
inline constexpr std::uint32_t k_artwork_land = 0xAFFFFF;

// Paints the picture scaled to width x height pixels.
void PaintPanelArtwork(platform::Painter& painter, std::int32_t width, std::int32_t height);

// The about box's picture, 60 x 87 pixels at its design size: a radio mast sending over the land.
inline constexpr std::int32_t k_about_artwork_width = 60;
inline constexpr std::int32_t k_about_artwork_height = 87;
void PaintAboutArtwork(platform::Painter& painter, std::int32_t width, std::int32_t height);

}  // namespace tolm::server
