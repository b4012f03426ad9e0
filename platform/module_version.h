#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The running module's version resource, as the runtime's App.Major, App.Minor, App.Revision,
// App.Comments, App.FileDescription and App.LegalCopyright report it. Windows reads the resource
// compiled into the library; Linux modules carry none, so there the answer is always empty and the
// caller falls back on the values the resource is compiled from (common/product_version.h).
namespace tolm::platform {

struct ModuleVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
    std::string comments;
    std::string file_description;
    std::string legal_copyright;
};

std::optional<ModuleVersion> module_version_resource();

}  // namespace tolm::platform
