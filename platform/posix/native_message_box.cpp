#include "platform/native_message_box.h"

#include <cstdio>
#include <string>

namespace tolm::platform::native {

namespace {

// The default button of a style, as a desktop box answers Enter.
std::int32_t default_answer(std::uint32_t style) {
    using namespace message_box_result;
    static constexpr std::int32_t buttons[][3] = {
        {ok, ok, ok}, {ok, cancel, cancel}, {abort, retry, ignore}, {yes, no, cancel}, {yes, no, no}, {retry, cancel, cancel},
    };
    const std::uint32_t set = style & message_box_style::buttons_mask;
    const std::uint32_t which = (style & message_box_style::default_button_mask) >> 8;
    if (set > 5 || which > 2) return ok;
    return buttons[set][which];
}

}  // namespace

std::int32_t message_box(const MessageBoxRequest& request) {
    // The texts carry the desktop's CR LF line breaks; a terminal wants LF.
    std::string text;
    for (char c : request.text)
        if (c != '\r') text += c;
    std::printf("%s\n%s\n", request.title.c_str(), text.c_str());
    std::fflush(stdout);
    return default_answer(request.style);
}

}  // namespace tolm::platform::native
