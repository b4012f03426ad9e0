#include "platform/registry.h"
#include "platform/text.h"

#include <cstdlib>
#include <cstring>
#include <optional>

extern char** environ;

// ExpandEnvironmentStringsA over the process environment. Windows matches variable names without
// regard to case; Linux keeps case, so an exact match is tried first.
namespace tolm::platform::registry {

namespace {

std::optional<std::string> environment_value(const std::string& name) {
    if (const char* exact = std::getenv(name.c_str())) return std::string(exact);
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (eq && equals_ignoring_case(std::string_view(*entry, static_cast<std::size_t>(eq - *entry)), name))
            return std::string(eq + 1);
    }
    return std::nullopt;
}

}  // namespace

std::uint32_t expand_environment_strings(const std::string& source, char* buffer, std::uint32_t size) {
    std::string expanded;
    std::size_t pos = 0;
    while (pos < source.size()) {
        std::size_t open = source.find('%', pos);
        if (open == std::string::npos) break;
        std::size_t close = source.find('%', open + 1);
        if (close == std::string::npos) break;
        expanded.append(source, pos, open - pos);
        std::string name = source.substr(open + 1, close - open - 1);
        auto value = name.empty() ? std::nullopt : environment_value(ansi_to_utf8(name));
        if (value) {
            expanded += utf8_to_ansi(*value);
            pos = close + 1;
        } else {
            // An unknown name stays as written; its closing "%" may open the next name.
            expanded.append(source, open, close - open);
            pos = close;
        }
    }
    expanded.append(source, pos, std::string::npos);
    auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
    if (buffer && size >= needed) std::memcpy(buffer, expanded.c_str(), needed);
    return needed;
}

}  // namespace tolm::platform::registry
