#include "platform/native_picture.h"

#include "platform/runtime_error.h"

namespace tolm::platform {

bool native_gif_supported() noexcept { return false; }

NativePicture decode_native_gif(std::string_view, const std::string& name) {
    throw RuntimeError(321, "tolm.picture",
                       "The picture " + name + " cannot be read (this system's own imaging does not decode GIF pictures here).");
}

}  // namespace tolm::platform
