#include "platform/module_version.h"

namespace tolm::platform {

// Shared objects have no version resource.
std::optional<ModuleVersion> module_version_resource() { return std::nullopt; }

}  // namespace tolm::platform
