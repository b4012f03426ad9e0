#include <windows.h>

#include <string>

namespace tolm::platform::detail {

void write_problem_line(const std::string& line) noexcept { ::OutputDebugStringA(line.c_str()); }

}  // namespace tolm::platform::detail
