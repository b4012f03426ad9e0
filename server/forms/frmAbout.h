#pragma once

#include "ui/forms/buttons.h"
#include "ui/forms/form.h"
#include "ui/forms/static_controls.h"

#include <functional>
#include <string>

// The server's about box: its name and version, the three lines of its version resource, the
// credits of the map data, and a button that asks for the map engine's own about box.
namespace tolm::server {

// "TolmServer7 V7.07": the base name, " V", the major number, "." and the minor and revision numbers
// with nothing between them.
std::string AppTitleText(const std::string& base_name, std::int32_t major, std::int32_t minor, std::int32_t revision);

class frmAbout : public forms::Form {
public:
    frmAbout();

    // The form the box is centred on when it loads.
    void Parent(forms::Form& parent) noexcept { m_parent = &parent; }
    void ShowModal(forms::Form& owner) { show(forms::Modality::modal, owner); }

    // Raised by cmdCartix.
    std::function<void()> AboutCartix;

    forms::PictureBox Picture1{*this, "Picture1"};
    forms::Label labAppTitle{*this, "labAppTitle"};
    forms::Label labAuthor{*this, "labAuthor"};
    forms::Label labDesc{*this, "labDesc"};
    forms::Label labCopyright{*this, "labCopyright"};
    forms::Label labDataCredits{*this, "labDataCredits"};
    forms::Label labLicences{*this, "labLicences"};
    forms::Label lnkWeb{*this, "lnkWeb"};
    forms::CommandButton cmdCartix{*this, "cmdCartix"};
    forms::CommandButton cmdOk{*this, "cmdOk"};

private:
    void Form_Load();
    void PaintPicture() noexcept;

    forms::Form* m_parent = nullptr;
};

}  // namespace tolm::server
