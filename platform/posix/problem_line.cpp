#include <cstdio>
#include <string>

namespace tolm::platform::detail {

void write_problem_line(const std::string& line) noexcept { std::fputs(line.c_str(), stderr); }

}  // namespace tolm::platform::detail
