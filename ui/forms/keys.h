#pragma once

#include <cstdint>

// Key codes and shift states as the runtime's KeyDown and KeyPress events carry them.
namespace tolm::forms {

namespace key {
constexpr std::int32_t back = 8;
constexpr std::int32_t tab = 9;
constexpr std::int32_t enter = 13;
constexpr std::int32_t escape = 27;
constexpr std::int32_t space = 32;
constexpr std::int32_t page_up = 33;
constexpr std::int32_t page_down = 34;
constexpr std::int32_t end = 35;
constexpr std::int32_t home = 36;
constexpr std::int32_t left = 37;
constexpr std::int32_t up = 38;
constexpr std::int32_t right = 39;
constexpr std::int32_t down = 40;
constexpr std::int32_t del = 46;
constexpr std::int32_t f1 = 112;
}  // namespace key

namespace shift_state {
constexpr std::int32_t none = 0;
constexpr std::int32_t shift = 1;
constexpr std::int32_t ctrl = 2;
constexpr std::int32_t alt = 4;
}  // namespace shift_state

}  // namespace tolm::forms
