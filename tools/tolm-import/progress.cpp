#include "tools/tolm-import/progress.h"

#include <cstdio>

namespace tolm::importer {

namespace {
constexpr auto k_update_interval = std::chrono::seconds(2);
constexpr std::uint64_t k_warnings_shown = 40;
}  // namespace

std::string time_left_text(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (whole < 60) std::snprintf(text, sizeof text, "%llds", whole);
    else if (whole < 3600) std::snprintf(text, sizeof text, "%lldm %02llds", whole / 60, whole % 60);
    else std::snprintf(text, sizeof text, "%lldh %02lldm", whole / 3600, whole / 60 % 60);
    return text;
}

Progress::Progress(std::ostream& out, bool quiet) : m_out(out), m_quiet(quiet) {}

void Progress::begin(std::string_view stage) {
    m_stage = stage;
    m_last = m_started = std::chrono::steady_clock::now();
    if (!m_quiet) m_out << "tolm-import: " << m_stage << " ..." << std::endl;
}

void Progress::update(std::uint64_t done, std::uint64_t total, double percent) {
    if (m_quiet) return;
    auto now = std::chrono::steady_clock::now();
    if (now - m_last < k_update_interval) return;
    m_last = now;
    if (percent < 0 && total > 0) percent = 100.0 * static_cast<double>(done) / static_cast<double>(total);
    m_out << "tolm-import: " << m_stage << ": ";
    if (percent >= 0) {
        char text[16];
        std::snprintf(text, sizeof text, "%.0f%%", percent);
        m_out << text << " (" << done << ")";
        // The time left at the speed so far, once there is enough of it to go by.
        const double elapsed = std::chrono::duration<double>(now - m_started).count();
        if (percent >= 1 && percent < 100 && elapsed >= 5) m_out << ", " << time_left_text(elapsed * (100 - percent) / percent) << " left";
    } else {
        m_out << done;
    }
    m_out << std::endl;
}

void Progress::end(std::string_view summary) {
    if (!m_quiet) m_out << "tolm-import: " << m_stage << ": " << summary << std::endl;
}

void Progress::warn(std::string_view text) {
    ++m_warnings;
    if (m_warnings <= k_warnings_shown)
        m_out << "tolm-import: warning: " << text << std::endl;
    else if (m_warnings == k_warnings_shown + 1)
        m_out << "tolm-import: warning: further warnings are only counted" << std::endl;
}

}  // namespace tolm::importer
