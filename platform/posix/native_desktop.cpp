#include "platform/native_desktop.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tolm::platform::native {

namespace {

bool is_file(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The desktop's opener on the search path, or "".
std::string find_opener() {
    const char* search_path = std::getenv("PATH");
    std::string rest = search_path ? search_path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = rest.find(':', start);
        const std::string folder = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/xdg-open";
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return {};
}

// Starts the opener on its own, so that neither a zombie nor a wait is left behind: the child starts
// a grandchild that runs the opener and is reaped by init.
void open_detached(const std::string& opener, const std::string& url) {
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        if (::fork() == 0) {
            ::setsid();
            char* const argv[] = {const_cast<char*>(opener.c_str()), const_cast<char*>(url.c_str()), nullptr};
            ::execv(opener.c_str(), argv);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
}

}  // namespace

WindowHandle find_window(const std::string&) { return 0; }
ScreenMetrics screen_metrics() { return ScreenMetrics{}; }

// Linux has no help program: the user guide, rendered as HTML beside the help file's name, opens in
// the desktop's browser at the topic's section. Without a desktop (no display) or without the guide
// nothing happens, as a missing help file is the help program's business, not the caller's. The
// browser window belongs to the user, so HELP_QUIT leaves it open.
void win_help(WindowHandle, const std::string& help_file, std::uint32_t command, std::uintptr_t data) {
    if (command != HELP_CONTEXT && command != HELP_FINDER) return;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return;
    const std::string guide = help_guide_for(help_file);
    if (!is_file(guide)) return;
    const std::string opener = find_opener();
    if (opener.empty()) return;
    open_detached(opener, help_topic_url(guide, command, data));
}

}  // namespace tolm::platform::native
