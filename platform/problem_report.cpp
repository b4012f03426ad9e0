#include "platform/problem_report.h"

#include <mutex>

namespace tolm::platform {

namespace detail {
void write_problem_line(const std::string& line) noexcept;  // posix/ and win32/
}

namespace {
std::mutex g_mutex;
std::string g_last;
}  // namespace

void report_problem(const std::string& text) noexcept {
    try {
        {
            const std::lock_guard lock(g_mutex);
            g_last = text;
        }
        detail::write_problem_line("TolmServer7: " + text + "\n");
    } catch (...) {
        // Reporting must never become the problem.
    }
}

std::string last_reported_problem() {
    const std::lock_guard lock(g_mutex);
    return g_last;
}

}  // namespace tolm::platform
