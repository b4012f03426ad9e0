#include "platform/module_info.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

namespace tolm::platform {

namespace {

// Any function of this module tells dladdr which file the module was loaded from.
void module_anchor() {}

std::string resolve_module_path() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&module_anchor), &info) == 0 || !info.dli_fname) return {};
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

}  // namespace

std::string module_path() {
    static const std::string path = resolve_module_path();
    return path;
}

std::string module_folder() {
    const std::string& path = module_path();
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string module_base_name() {
    const std::string& path = module_path();
    std::string name = path.substr(path.rfind('/') + 1);
    auto dot = name.find('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    // The library is libTolmServer7.so; the runtime's base name is the name without "lib".
    if (name.rfind("lib", 0) == 0 && name.size() > 3) name = name.substr(3);
    return name;
}

char path_separator() { return '/'; }

}  // namespace tolm::platform
