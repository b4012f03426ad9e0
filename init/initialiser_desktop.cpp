#include "init/initialiser_desktop.h"

#include "platform/native_message_box.h"

namespace tolm::init {

InitialiserDesktop::InitialiserDesktop() : HeadlessWindowSystem(platform::headless::UnansweredPolicy::default_answer) {}

std::int32_t InitialiserDesktop::message_box(const platform::MessageBoxRequest& request) {
    return platform::native::message_box(request);
}

}  // namespace tolm::init
