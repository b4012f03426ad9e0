#include "common/path_text.h"

#include "platform/module_info.h"

namespace tolm {

bool is_path_separator(char c) noexcept { return c == '\\' || c == '/'; }

std::string join_path(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && !is_path_separator(path.back())) path += platform::path_separator();
    path += name;
    return path;
}

}  // namespace tolm
