#include "server/forms/frmCpanel.h"

#include "server/MakeUnderlay.h"
#include "server/forms/frmOverlay.h"
#include "server/forms/panel_artwork.h"

#include "platform/painter.h"

#include "ui/desktop.h"

namespace tolm::server {

namespace {

// The panel's size: a client area of 4500 x 2550 twips, which the 300 x 169 pixel picture fills.
// The form's own size holds its frame too, as a fixed dialog of the design desktop draws it: a
// 3-pixel border around, a 19-pixel title bar and a one-line menu bar of 19 pixels.
constexpr std::int32_t k_client_width = 4500;
constexpr std::int32_t k_client_height = 2550;
constexpr std::int32_t k_width = k_client_width + 2 * 3 * 15;
constexpr std::int32_t k_height = k_client_height + (2 * 3 + 19 + 19) * 15;
constexpr std::int32_t k_help_topic = 30;

}  // namespace

frmCpanel::frmCpanel() : forms::Form("frmCpanel") {
    set_caption("TolmServer7 Control Panel");
    set_border_style(forms::BorderStyle::fixed_dialog);
    set_min_button(false);
    set_max_button(false);
    move(0, 0, k_width, k_height);
    set_help_context_id(k_help_topic);

    picLogo.move(0, 0, k_panel_artwork_width * 15, k_panel_artwork_height * 15);
    picLogo.set_scale_mode(3);
    picLogo.set_auto_redraw(true);
    picUnder.set_visible(false);
    picUnder.move(0, 0, 300, 300);

    // The controller enables the options when it shows the panel.
    mnuOptions.set_enabled(false);
    // Choosing the background colour is not offered: the white background item covers it.
    mnuBackgroundColor.set_enabled(false);

    mnuEasySetup.on_click = [this] { raise(EasySetup); };
    mnuData1.on_click = [this] { raise(Data1); };
    mnuData2.on_click = [this] { raise(Data2); };
    mnuData3.on_click = [this] { raise(Data3); };
    mnuStates.on_click = [this] { raise(States0); };
    mnuStatesSupp.on_click = [this] { raise(States1); };
    mnuMonochromeMaps.on_click = [this] { toggle(mnuMonochromeMaps, Monochrome); };
    // Applied and saved by the controller when the panel closes.
    mnuWhiteBackground.on_click = [this] { mnuWhiteBackground.set_checked(!mnuWhiteBackground.checked()); };
    mnuShowOneway.on_click = [this] { toggle(mnuShowOneway, OnewayShow); };
    mnuShadeMCD.on_click = [this] { toggle(mnuShadeMCD, ShadeMCD); };
    mnuShadePlaces.on_click = [this] { toggle(mnuShadePlaces, ShadePlaces); };
    mnuShadeCounties.on_click = [this] { toggle(mnuShadeCounties, ShadeCounties); };
    mnuShadeStates.on_click = [this] { toggle(mnuShadeStates, ShadeStates); };
    mnuOverlays.on_click = [this] { ChooseOverlay(); };
    mnuUnderlayLoad.on_click = [this] { ChooseUnderlay(); };
    mnuUnderlayMake.on_click = [this] { MakeUnderlay(); };
    mnuAbout.on_click = [this] { ShowAbout(); };
    mnuHelp.on_click = [] { platform::ShowHelpTopic(k_help_topic); };
    mnuExit.on_click = [this] { hide(); };
    mnuScaleBar.on_click = [this] { toggle(mnuScaleBar, [this](bool on) { if (MapAid) MapAid(0, on); }); };
    mnuLatLonGrid.on_click = [this] { toggle(mnuLatLonGrid, [this](bool on) { if (MapAid) MapAid(1, on); }); };
    mnuGridSquares.on_click = [this] { toggle(mnuGridSquares, [this](bool on) { if (MapAid) MapAid(2, on); }); };

    on_load = [this] {
        platform::InitHelp(hwnd());
        move((platform::screen_width_twips() - width()) / 2, (platform::screen_height_twips() - height()) / 2);
        PaintPicture();
    };
    on_unload = [](bool&) { platform::CloseHelp(); };
}

frmCpanel::~frmCpanel() = default;

void frmCpanel::PaintPicture() noexcept {
    // Only a window system with real windows gives the picture a device context; the picture is
    // decoration, so a failure to paint it leaves the panel as it is.
    if (picLogo.hdc() == 0) return;
    try {
        auto painter = platform::painter_for_device_context(static_cast<std::intptr_t>(picLogo.hdc()));
        PaintPanelArtwork(*painter, static_cast<std::int32_t>(picLogo.scale_width()),
                          static_cast<std::int32_t>(picLogo.scale_height()));
    } catch (...) {
    }
}

void frmCpanel::map_aid_checked(int aid, bool shown) {
    forms::Menu* items[] = {&mnuScaleBar, &mnuLatLonGrid, &mnuGridSquares};
    if (aid >= 0 && aid < 3) items[aid]->set_checked(shown);
}

void frmCpanel::toggle(forms::Menu& item, const std::function<void(bool)>& event) {
    item.set_checked(!item.checked());
    if (event) event(item.checked());
}

void frmCpanel::raise(const std::function<void()>& event) {
    if (event) event();
}

void frmCpanel::ShowAbout() {
    mfrmA = forms::make_form<frmAbout>();
    mfrmA->Parent(*this);
    mfrmA->AboutCartix = [this] { raise(AboutCartix); };
    mfrmA->cmdCartix.set_enabled(mnuOptions.enabled());
    try {
        mfrmA->ShowModal(*this);
    } catch (...) {
        mfrmA.reset();
        throw;
    }
    mfrmA.reset();
}

void frmCpanel::ChooseOverlay() {
    m_ovl_file = ChooseLayer(m_ovl_file, true);
    if (OvlFile) OvlFile(m_ovl_file);
}

void frmCpanel::ChooseUnderlay() {
    m_under_file = ChooseLayer(m_under_file, false);
    if (UnderFile) UnderFile(m_under_file);
}

std::string frmCpanel::ChooseLayer(const std::string& current, bool overlay) {
    return ChooseLayerFile(current, overlay, hwnd());
}

void frmCpanel::MakeUnderlay() { server::MakeUnderlay(hwnd()); }

}  // namespace tolm::server
