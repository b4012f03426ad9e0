#include "platform/metafile.h"

#include "platform/runtime_error.h"

namespace tolm::platform {

bool metafiles_supported() noexcept { return false; }

MetafilePicture render_metafile(const std::string& path) {
    throw RuntimeError(321, "tolm.picture",
                       "The picture " + path +
                           " is an EMF picture (Windows enhanced metafile), which can be read only on Windows. "
                           "Save it as BMP, PNG, JPG or GIF and try again.");
}

}  // namespace tolm::platform
