#pragma once

#include "ui/headless/headless_window_system.h"

// The window system of the initialiser program: it shows no windows of its own, only message boxes,
// and those are the desktop's own (on Linux, written to standard output). Everything else a
// window system offers answers as the headless one does by default.
namespace tolm::init {

class InitialiserDesktop : public platform::headless::HeadlessWindowSystem {
public:
    InitialiserDesktop();
    std::int32_t message_box(const platform::MessageBoxRequest& request) override;
};

}  // namespace tolm::init
