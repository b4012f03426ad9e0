// A data pack that opens must also paint: the renderer reads only what the open-time checks cover.
#include "fuzz_support.h"
#include "engine/map_style.h"
#include "engine/map_view.h"
#include "engine/pack/pack_reader.h"
#include "engine/renderer.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace e = tolm::engine;
    // Packs are read in place from 8-byte aligned memory; copy to keep that true here.
    std::vector<std::uint64_t> aligned((size + 7) / 8);
    if (size) std::memcpy(aligned.data(), data, size);
    try {
        const e::PackView pack(std::span(reinterpret_cast<const std::byte*>(aligned.data()), size), "fuzz");
        const std::vector<const e::PackView*> packs{&pack};
        static e::Renderer renderer;
        e::MapStyle style;
        e::MapView view;
        view.set_size(96, 64);
        // The whole country, then a close view of where the pack's first bytes point.
        view.show_rectangle(-125, 50, -66, 24);
        tolm::platform::RasterSurface surface(96, 64);
        tolm::platform::CairoPainter painter(surface);
        renderer.paint(painter, view, packs, style, false);
        view.show_rectangle(-122.8, 45.6, -122.5, 45.4);
        renderer.paint(painter, view, packs, style, true);
    } catch (const tolm::RuntimeError&) {
    }
    return 0;
}
