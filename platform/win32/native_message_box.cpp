#include "platform/native_message_box.h"

#include "platform/text.h"

#include <windows.h>

namespace tolm::platform::native {

std::int32_t message_box(const MessageBoxRequest& request) {
    return MessageBoxA(reinterpret_cast<HWND>(request.owner), utf8_to_ansi(request.text).c_str(),
                       utf8_to_ansi(request.title).c_str(), static_cast<UINT>(request.style));
}

}  // namespace tolm::platform::native
