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

char path_separator() { return '/'; }

}  // namespace tolm::platform
