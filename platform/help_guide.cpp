#include "platform/native_desktop.h"

namespace tolm::platform::native {

namespace {

bool is_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// %-escapes what a file URL cannot carry as it is. A Windows path becomes file:///C:/Folder/...
std::string file_url(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) url += '/';
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (is_separator(path[i])) {
            url += '/';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                   c == '_' || c == '.' || c == '~' || (drive && i == 1)) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

}  // namespace

std::string help_guide_for(const std::string& help_file) {
    const std::size_t dot = help_file.rfind('.');
    std::size_t slash = std::string::npos;
    for (std::size_t i = help_file.size(); i-- > 0;) {
        if (is_separator(help_file[i])) {
            slash = i;
            break;
        }
    }
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return help_file + ".html";
    return help_file.substr(0, dot) + ".html";
}

std::string help_topic_url(const std::string& guide, std::uint32_t command, std::uintptr_t data) {
    std::string url = file_url(guide);
    if (command == HELP_CONTEXT) url += "#topic-" + std::to_string(data);
    return url;
}

}  // namespace tolm::platform::native
