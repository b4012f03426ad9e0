// Overlay files, GeoJSON and the plain text form: refused with a RuntimeError or read, and what is
// read paints within a small picture.
#include "fuzz_support.h"
#include "engine/map_view.h"
#include "engine/overlay.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tolm::engine::Overlay;
    try {
        const Overlay overlay = Overlay::parse(tolm::fuzz::bytes_of(data, size), "fuzz.OVR");
        if (overlay.vertex_count() > 100000) return 0;  // painting time, not a finding
        tolm::engine::MapView view;
        view.set_size(64, 48);
        if (const auto extent = overlay.extent()) view.show_rectangle(extent->west, extent->north, extent->east, extent->south);
        tolm::platform::RasterSurface surface(64, 48);
        tolm::platform::CairoPainter painter(surface);
        overlay.paint(painter, view, size % 2 == 1);
    } catch (const tolm::RuntimeError&) {
    }
    return 0;
}
