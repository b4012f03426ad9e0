#pragma once

#include "server/forms/frmAbout.h"

#include "ui/forms/form.h"
#include "ui/forms/menu.h"
#include "ui/forms/static_controls.h"

#include <cstdint>
#include <functional>
#include <string>

// The control panel form: a picture and a menu bar, every setting a menu item. The form only shows
// check marks, opens the choosers, the about box and the help, and runs underlay creation (which works
// on files alone); every other user action is raised as an event for the controller (clsCpanel),
// which applies it to the server and saves it. The form never touches the server or the settings file.
namespace tolm::server {

class frmCpanel : public forms::Form {
public:
    frmCpanel();
    ~frmCpanel() override;

    // The help context number of the panel, which the client offers as the server's help topic.
    std::int32_t HelpContextID() const noexcept { return help_context_id(); }
    void Load() { load(); }
    void Unload() { unload(); }
    // Shows the panel modally; returns when Exit hides it or its window is closed.
    void ShowModal() { show(forms::Modality::modal); }

    // Check marks, set by the controller before the panel is shown.
    void blnMono(bool value) { mnuMonochromeMaps.set_checked(value); }
    void blnShadeMcd(bool value) { mnuShadeMCD.set_checked(value); }
    void blnShadeCounties(bool value) { mnuShadeCounties.set_checked(value); }
    void blnShadePlaces(bool value) { mnuShadePlaces.set_checked(value); }
    void blnShadeStates(bool value) { mnuShadeStates.set_checked(value); }
    void blnWhiteBackground(bool value) { mnuWhiteBackground.set_checked(value); }
    void blnOnewayShow(bool value) { mnuShowOneway.set_checked(value); }
    // The current overlay and underlay: they preselect the choosers and follow what the choosers return.
    void strOvlFile(const std::string& value) { m_ovl_file = value; }
    void strUnderFile(const std::string& value) { m_under_file = value; }
    const std::string& strOvlFile() const noexcept { return m_ovl_file; }
    const std::string& strUnderFile() const noexcept { return m_under_file; }

    // Events, in the order the controller's handlers are declared.
    std::function<void()> EasySetup;
    std::function<void()> Data1;
    std::function<void()> Data2;
    std::function<void()> Data3;
    std::function<void()> States0;
    std::function<void()> States1;
    std::function<void(bool blnM)> Monochrome;
    std::function<void()> AboutCartix;
    std::function<void(bool blnS)> ShadeCounties;
    std::function<void(bool blnS)> ShadeMCD;
    std::function<void(bool blnS)> ShadePlaces;
    std::function<void(bool blnS)> ShadeStates;
    std::function<void(bool blnW)> OnewayShow;
    std::function<void(const std::string& strOvlFile)> OvlFile;
    std::function<void(const std::string& strUnderFile)> UnderFile;
    // The map aids menu: the aid (0 scale bar, 1 latitude/longitude grid, 2 grid squares) and its new state.
    std::function<void(int aid, bool shown)> MapAid;
    void map_aid_checked(int aid, bool shown);

    // The panel's artwork, 300 x 169 pixels, and the scratch surface of underlay creation.
    forms::PictureBox picLogo{*this, "picLogo"};
    forms::PictureBox picUnder{*this, "picUnder"};

    forms::Menu mnuOptions{*this, "mnuOptions", "&Options"};
    forms::Menu mnuDataPaths{mnuOptions, "mnuDataPaths", "&Kartovex Data Paths"};
    forms::Menu mnuEasySetup{mnuDataPaths, "mnuEasySetup", "&Easy Setup"};
    forms::Menu mnuData1{mnuDataPaths, "mnuData1", "Data&1"};
    forms::Menu mnuData2{mnuDataPaths, "mnuData2", "Data&2"};
    forms::Menu mnuData3{mnuDataPaths, "mnuData3", "Data&3"};
    forms::Menu mnuStates{mnuDataPaths, "mnuStates", "&States"};
    forms::Menu mnuStatesSupp{mnuDataPaths, "mnuStatesSupp", "States (Supplementary)"};
    forms::Menu mnuBackgroundColor{mnuOptions, "mnuBackgroundColor", "&Background Color"};
    forms::Menu mnuBar1{mnuOptions, "mnuBar1", "-"};
    forms::Menu mnuMonochromeMaps{mnuOptions, "mnuMonochromeMaps", "&Monochrome Maps"};
    forms::Menu mnuWhiteBackground{mnuOptions, "mnuWhiteBackground", "&White Background"};
    forms::Menu mnuShowOneway{mnuOptions, "mnuShowOneway", "Show &Oneway"};
    forms::Menu mnuBar2{mnuOptions, "mnuBar2", "-"};
    forms::Menu mnuShadeMCD{mnuOptions, "mnuShadeMCD", "Shade MC&Ds"};
    forms::Menu mnuShadePlaces{mnuOptions, "mnuShadePlaces", "Shade P&laces"};
    forms::Menu mnuShadeCounties{mnuOptions, "mnuShadeCounties", "Shade &Counties"};
    forms::Menu mnuShadeStates{mnuOptions, "mnuShadeStates", "Shade &States"};
    forms::Menu mnuOverlays{*this, "mnuOverlays", "O&verlays"};
    forms::Menu mnuUnderlays{*this, "mnuUnderlays", "&Underlays"};
    forms::Menu mnuUnderlayLoad{mnuUnderlays, "mnuUnderlayLoad", "&Load Underlay"};
    forms::Menu mnuUnderlayMake{mnuUnderlays, "mnuUnderlayMake", "&Make Underlay"};
    forms::Menu mnuAbout{*this, "mnuAbout", "&About"};
    forms::Menu mnuHelp{*this, "mnuHelp", "&Help"};
    forms::Menu mnuExit{*this, "mnuExit", "E&xit"};
    // Ours, after the panel's own options: under Options, as the menu bar has no room left at the
    // panel's width (one more item there would wrap the bar onto a second line).
    forms::Menu mnuBar3{mnuOptions, "mnuBar3", "-"};
    forms::Menu mnuMapAids{mnuOptions, "mnuMapAids", "Map &Aids"};
    forms::Menu mnuScaleBar{mnuMapAids, "mnuScaleBar", "&Scale Bar"};
    forms::Menu mnuLatLonGrid{mnuMapAids, "mnuLatLonGrid", "&Latitude/Longitude Grid"};
    forms::Menu mnuGridSquares{mnuMapAids, "mnuGridSquares", "&Grid Squares (Maidenhead)"};

private:
    // Inverts a check item and raises its event with the new state.
    void toggle(forms::Menu& item, const std::function<void(bool)>& event);
    void raise(const std::function<void()>& event);
    // Draws the artwork into the picture when the window system gave it a device context.
    void PaintPicture() noexcept;
    void ShowAbout();
    void ChooseOverlay();
    void ChooseUnderlay();
    // The overlay or underlay chooser, preselecting the current file; what it returns when it closes.
    std::string ChooseLayer(const std::string& current, bool overlay);
    // Underlay creation from one of the client's image maps.
    void MakeUnderlay();

    std::string m_ovl_file;
    std::string m_under_file;
    // The about box while it is shown.
    forms::FormPtr<frmAbout> mfrmA;
};

}  // namespace tolm::server
