#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Windows enhanced metafiles (EMF) are pictures made of drawing commands; only the desktop's own
// graphics library draws them faithfully, so reading one is a platform service.
namespace tolm::platform {

struct MetafilePicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // premultiplied ARGB, rows top to bottom, opaque
};

// False where render_metafile cannot draw metafiles at all.
bool metafiles_supported() noexcept;

// Draws the metafile at its own size (at most 32767 pixels a side) on white. Raises RuntimeError with
// a text naming the file when it cannot be read, and on platforms that cannot draw metafiles at all.
MetafilePicture render_metafile(const std::string& path);

}  // namespace tolm::platform
