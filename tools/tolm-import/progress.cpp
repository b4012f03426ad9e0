#include "tools/tolm-import/progress.h"

#include <cstdio>

namespace tolm::importer {

namespace {
constexpr auto k_update_interval = std::chrono::seconds(2);
constexpr std::uint64_t k_warnings_shown = 40;
}

Progress::Progress(std::ostream& out, bool quiet) : m_out(out), m_quiet(quiet) {}

void Progress::begin(std::string_view stage) {
    m_stage = stage;
    m_last = std::chrono::steady_clock::now();
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
