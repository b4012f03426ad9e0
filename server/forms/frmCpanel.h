#pragma once

#include "ui/forms/form.h"

// The control panel form. This build carries its window's fixed properties (caption, border, size,
// help context), which the server reports to the client; its menus and their actions are not part of
// this build.
namespace tolm::server {

class frmCpanel : public forms::Form {
public:
    frmCpanel();

    // The help context number of the panel, which the client offers as the server's help topic.
    std::int32_t HelpContextID() const noexcept { return help_context_id(); }
    void Unload() { unload(); }
};

}  // namespace tolm::server
