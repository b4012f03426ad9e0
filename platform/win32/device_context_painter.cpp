#include "platform/painter.h"
#include "platform/raster_surface.h"
#include "platform/runtime_error.h"

// The GDI+ painter for real HDCs is not written yet; until it is, painting on Windows reports so
// instead of drawing nothing.
namespace tolm::platform {

std::unique_ptr<Painter> painter_for_device_context(std::intptr_t) {
    throw RuntimeError(runtime_errors::not_yet_implemented, "painter_for_device_context",
                       "painter_for_device_context: the GDI+ painter for Windows device contexts is not available yet.");
}

void write_png(const RasterSurface&, const std::string&) {
    throw RuntimeError(runtime_errors::not_yet_implemented, "write_png", "write_png: PNG writing is not available on Windows yet.");
}

}  // namespace tolm::platform
