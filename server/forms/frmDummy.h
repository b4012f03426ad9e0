#pragma once

#include "ui/forms/form.h"

#include <cstdint>

// A hidden form that only lends its window as the owner of the folder browse dialog, so the dialog
// opens where the form stands.
namespace tolm::server {

class frmDummy : public forms::Form {
public:
    frmDummy() : forms::Form("frmDummy") {}

    void Load() { load(); }
    void Unload() { unload(); }
    void Move(std::int32_t left, std::int32_t top) { move(left, top); }
    platform::WindowHandle hWnd() { return hwnd(); }
};

}  // namespace tolm::server
