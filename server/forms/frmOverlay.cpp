#include "server/forms/frmOverlay.h"

#include "platform/text.h"
#include "server/Tolm.h"
#include "server/host_folders.h"
#include "ui/forms/screen.h"

#include <filesystem>
#include <system_error>

namespace tolm::server {

namespace {

bool has_extension(const std::string& name, std::string_view extension) {
    return name.size() > extension.size() &&
           equals_ignoring_case(std::string_view(name).substr(name.size() - extension.size()), extension);
}

}  // namespace

std::vector<std::string> layer_files_in(const std::string& folder, bool blnOvl) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    std::error_code error;
    const std::filesystem::path where(std::u8string(folder.begin(), folder.end()));
    for (std::filesystem::directory_iterator it(where, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind_error;
        if (it->is_directory(kind_error)) continue;
        const std::u8string utf8 = it->path().filename().u8string();
        std::string name(utf8.begin(), utf8.end());
        if (blnOvl) {
            if (has_extension(name, ".OVR")) names.push_back(std::move(name));
        } else if (has_extension(name, ".BMP") && FileExists(folder + name.substr(0, name.size() - 3) + "SAT")) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

frmOverlay::frmOverlay() : forms::Form("frmOverlay") {
    set_caption("Overlays");
    set_border_style(forms::BorderStyle::fixed_dialog);
    set_min_button(false);
    set_max_button(false);
    set_help_context_id(70);
    move(0, 0, 3975, 3180);

    labPrompt.move(720, 60, 2430, 195);
    lstOvl.set_sorted(true);
    lstOvl.set_style(forms::ListBox::Style::checkbox);
    lstOvl.move(120, 300, 3615, 1860);
    cmdOk.set_caption("&Ok");
    cmdOk.move(848, 2280, 915, 375);
    cmdCancel.set_caption("&Cancel");
    cmdCancel.move(2108, 2280, 915, 375);
    // Ok, Cancel, the list, the prompt.
    cmdOk.set_tab_index(0);
    cmdCancel.set_tab_index(1);
    lstOvl.set_tab_index(2);
    labPrompt.set_tab_index(3);

    lstOvl.on_item_check = [this](std::int32_t row) { lstOvl_ItemCheck(row); };
    cmdOk.on_click = [this] { cmdOk_Click(); };
    cmdCancel.on_click = [this] { unload(); };
    on_load = [this] { Form_Load(); };
}

void frmOverlay::Form_Load() {
    move((forms::screen::width() - width()) / 2, (forms::screen::height() - height()) / 2);
}

void frmOverlay::Init(const std::string& strFile, bool blnOvl) {
    // Touching the form's controls loads it, as it does in the runtime: the form centres itself first.
    load();
    lstOvl.clear();
    if (blnOvl) {
        set_caption("Overlays");
        labPrompt.set_caption("Check the overlay you wish to use");
        mstrFolder = strOverlaysFolder;
    } else {
        set_caption("Underlays");
        labPrompt.set_caption("Check the underlay you wish to use");
        mstrFolder = strUnderlaysFolder;
    }
    for (auto& name : layer_files_in(mstrFolder, blnOvl)) lstOvl.add_item(std::move(name));
    // The choice may have been typed or saved in another case than the file's own.
    const std::string wanted = to_lower_ascii(strFile);
    for (std::int32_t row = 0; row < lstOvl.list_count(); ++row)
        if (to_lower_ascii(mstrFolder + lstOvl.list(row)) == wanted) lstOvl.set_checked(row, true);
}

void frmOverlay::lstOvl_ItemCheck(std::int32_t row) {
    if (!lstOvl.checked(row)) return;
    for (std::int32_t other = 0; other < lstOvl.list_count(); ++other)
        if (other != row && lstOvl.checked(other)) lstOvl.set_checked(other, false);
}

void frmOverlay::cmdOk_Click() {
    for (std::int32_t row = 0; row < lstOvl.list_count(); ++row)
        if (lstOvl.checked(row)) mstrFile = mstrFolder + lstOvl.list(row);
    unload();
}

std::string ChooseLayerFile(const std::string& strFile, bool blnOvl, platform::WindowHandle owner) {
    auto chooser = forms::make_form<frmOverlay>();
    chooser->Init(strFile, blnOvl);
    chooser->show(forms::Modality::modal, owner);
    std::string chosen = chooser->strFile();
    chooser->unload();
    return chosen;
}

}  // namespace tolm::server
