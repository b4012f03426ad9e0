#include "platform/module_info.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace tolm::platform {

namespace {

// Any function of this module tells dladdr which file the module was loaded from.
void module_anchor() {}

// The file the kernel started: for code linked into a program rather than a shared library, dladdr
// only knows the program by argv[0], which may be a bare name found through PATH.
std::string executable_path() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string resolve_module_path() {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&module_anchor), &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
        !info.dli_fname)
        return {};
    // The main program's link map has an empty name.
    if (map && map->l_name && map->l_name[0] == '\0') {
        std::string program = executable_path();
        if (!program.empty()) return program;
    }
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
