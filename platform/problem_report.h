#pragma once

#include <string>

namespace tolm::platform {

// Tells whoever watches the process about a problem the server worked around without troubling the
// client (a settings file that could not be saved): standard error on Linux, the debugger's output
// (OutputDebugString) on Windows, each line starting "TolmServer7: ". The last text is kept too.
void report_problem(const std::string& text) noexcept;
std::string last_reported_problem();

}  // namespace tolm::platform
