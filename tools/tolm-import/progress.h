#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace tolm::importer {

// Progress lines on long imports: one line per stage when it starts and ends, and in between at
// most one line every few seconds with the percentage (when the total is known) or the count, and
// with a percentage an estimate of the time left at the speed so far.
// Lines, not carriage returns, so that logs of the set-up script stay readable.
// "45s", "12m 05s", "2h 03m".
std::string time_left_text(double seconds);

class Progress {
public:
    Progress(std::ostream& out, bool quiet);

    void begin(std::string_view stage);
    // total 0 means unknown; percent is used when it is not negative (readers that know their
    // position in the file but not the number of features).
    void update(std::uint64_t done, std::uint64_t total = 0, double percent = -1);
    void end(std::string_view summary);
    // Warnings about the input are printed even when quiet: they tell what was repaired or skipped.
    void warn(std::string_view text);

    std::uint64_t warnings() const noexcept { return m_warnings; }

private:
    std::ostream& m_out;
    bool m_quiet;
    std::string m_stage;
    std::chrono::steady_clock::time_point m_last;
    std::chrono::steady_clock::time_point m_started;
    std::uint64_t m_warnings = 0;
};

}  // namespace tolm::importer
