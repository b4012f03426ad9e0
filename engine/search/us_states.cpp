#include "engine/search/us_states.h"

#include "engine/search/street_name.h"
#include "engine/us_states.h"
#include "platform/text.h"

namespace tolm::engine::search {

std::string state_code_of(std::string_view code_or_name) {
    const std::string upper = trim_blanks(to_upper_ascii(code_or_name));
    // Names are compared in their normalised spelling, in which "NORTH" and "SOUTH" are abbreviated.
    const std::string name = normalise_name(upper);
    for (const auto& state : us_states()) {
        if (!state.postal) continue;
        if (upper == state.code || name == normalise_name(state.name) ||
            (!state.short_name.empty() && name == normalise_name(state.short_name)))
            return std::string(state.code);
    }
    return {};
}

}  // namespace tolm::engine::search
