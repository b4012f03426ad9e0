#pragma once

#include "platform/window_system.h"

#include <cstdint>

// The desktop's own message box, for a program that shows nothing but message boxes and so needs no
// window system backend of its own. On Linux there is no desktop: the box is written to standard
// output (title, then text) and answered with its default button.
namespace tolm::platform::native {

// MessageBoxA with the request's owner, text, title and style; the number of the button pressed.
std::int32_t message_box(const MessageBoxRequest& request);

}  // namespace tolm::platform::native
