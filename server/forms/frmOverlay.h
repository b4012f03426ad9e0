#pragma once

#include "ui/forms/buttons.h"
#include "ui/forms/form.h"
#include "ui/forms/list_box.h"
#include "ui/forms/static_controls.h"

#include <string>
#include <vector>

// The overlay and underlay chooser. It lists the overlay files (*.OVR) of the server's overlay folder,
// or the underlay bitmaps (*.BMP) of its underlay folder that have their extent file beside them, and
// lets the user check at most one. The chooser works on file names alone: what a choice means is the
// business of whoever opened it.
namespace tolm::server {

class frmOverlay : public forms::Form {
public:
    frmOverlay();

    // Prepares the chooser before it is shown: the caption, the prompt, the folder and its files, and
    // the check on the entry whose full path is strFile (compared without regard to case).
    void Init(const std::string& strFile, bool blnOvl);
    // The full path checked when Ok was pressed; empty after Ok with nothing checked, after Cancel
    // and after the window was closed.
    const std::string& strFile() const noexcept { return mstrFile; }

    forms::Label labPrompt{*this, "labPrompt"};
    forms::ListBox lstOvl{*this, "lstOvl"};
    forms::CommandButton cmdOk{*this, "cmdOk"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};

private:
    void Form_Load();
    void lstOvl_ItemCheck(std::int32_t row);
    void cmdOk_Click();

    std::string mstrFolder;
    std::string mstrFile;
};

// The names in a folder (ending with its separator) that the chooser lists: *.OVR for overlays;
// for underlays *.BMP that have the companion extent file (the name less its last three characters,
// then "SAT"). Extensions match without regard to case, as the desktop's file patterns do; folders
// are never listed. An unreadable or missing folder lists nothing.
std::vector<std::string> layer_files_in(const std::string& folder, bool blnOvl);

// The chooser as the control panel uses it: created for this one use, initialised with the current
// choice, shown modally over the owner, and unloaded. Returns its strFile.
std::string ChooseLayerFile(const std::string& strFile, bool blnOvl, platform::WindowHandle owner = 0);

}  // namespace tolm::server
