#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Pictures the desktop's own imaging decodes. On Windows that is GIF, through GDI+, which reads the
// animated and interlaced files users bring as the system's own viewers show them; elsewhere the
// engine's own decoder reads every format and this service decodes nothing.
namespace tolm::platform {

struct NativePicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // ARGB, rows top to bottom, opaque: transparent parts laid on white
};

// True where decode_native_gif decodes GIF pictures.
bool native_gif_supported() noexcept;

// Decodes the first frame of a GIF held in memory. The caller has checked its size and that the
// first frame is whole. Raises RuntimeError 321 with a text naming `name` when the picture cannot be
// decoded, and everywhere native_gif_supported() is false.
NativePicture decode_native_gif(std::string_view bytes, const std::string& name);

}  // namespace tolm::platform
