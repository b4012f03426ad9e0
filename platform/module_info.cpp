// Folder and base name of the running module, the same rules on every platform; where the module
// lies is asked of the platform (posix/ and win32/ module_info.cpp).
#include "platform/module_info.h"

#include <string>

namespace tolm::platform {

std::string detail::folder_of(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    // A root keeps its separator ("C:\\", "/"); any other folder does not.
    if (separator == 2 && path[1] == ':') return path.substr(0, 3);
    if (separator == 0) return path.substr(0, 1);
    return path.substr(0, separator);
}

std::string detail::base_name_of(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    // A shared object is libTolmServer7.so (or .so.7): the client's name for it is TolmServer7.
    const auto shared_object = name.find(".so");
    if (shared_object != std::string::npos && name.compare(0, 3, "lib") == 0 && name.size() > 3) {
        name.resize(shared_object);
        return name.substr(3);
    }
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string module_folder() { return detail::folder_of(module_path()); }
std::string module_base_name() { return detail::base_name_of(module_path()); }

}  // namespace tolm::platform
