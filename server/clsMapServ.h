#pragma once

#include "platform/dispatch.h"
#include "platform/variant.h"
#include "server/engine_control.h"
#include "server/member_table.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tolm::server {

class clsCpanel;
class frmTolm;
class MapSearch;

// The one public, creatable class of the server: the client creates it by its ProgID, hands it its
// host objects in Initialize and then drives it by method calls. Member names are the published ones.
// The class is a Dispatch: the frames route both vtable calls and IDispatch calls through invoke(),
// so the two ways of calling always give the same results.
class clsMapServ : public Dispatch {
public:
    clsMapServ();
    ~clsMapServ() override;
    clsMapServ(const clsMapServ&) = delete;
    clsMapServ& operator=(const clsMapServ&) = delete;

    // Overlay and underlay files.
    void strOvlFile(const std::string& value);
    void strUnderFile(const std::string& value);
    std::string strOvlFile() const;
    std::string strUnderFile() const;

    Variant varMapBackColor();
    Variant varSeaColor() const;

    // Favourite views.
    void AddToFavouriteViews(std::string& strL);
    void SafeCall() const noexcept {}
    void SaveFavouriteViews(StringArray& strL);
    void LoadFavouriteViews(StringArray& strFav);

    bool blnControlOk() const;

    void blnShadeMcd(bool value);
    void blnShadeCounties(bool value);
    bool blnShadeCounties();
    bool blnShadeMcd();
    bool blnShadePlaces();
    bool blnShadeStates();
    bool blnWhiteBackground() const;
    void blnWhiteBackground(bool value);
    void blnShadePlaces(bool value);
    void blnShadeStates(bool value);

    void Initialize(std::string& strCallsign, ObjectRef& cMapServerEvents, ObjectRef& frmT);
    bool DrawMapFromCorners(ObjectRef& picMap, double& dblDegX1, double& dblDegY1, double& dblDegX2,
                            double& dblDegY2);

    void blnMono(bool value);
    void blnOnewayShow(bool value);
    bool blnMono() const;
    bool blnOnewayShow();
    // The engine's map aids (scale bar, latitude/longitude grid, locator grid), for the control panel.
    bool map_aid(EngineControl::MapAid which) const;
    void set_map_aid(EngineControl::MapAid which, bool shown);

    bool ResizeMap(ObjectRef& picMap, double& dblDegX1, double& dblDegY1, double& dblDegX2, double& dblDegY2);
    bool DrawMapFromCentre(ObjectRef& picMap, double& dblDegX, double& dblDegY);
    void GetSupportedFeatures(bool& blnDiagonalPan, bool& blnZoomIn, bool& blnZoomOut, bool& blnZoomAll,
                              bool& blnControlPanel, std::string& strHelpFile, std::int32_t& lngHelpTopic,
                              std::string& strServerShortName, StringArray& strSpecialOptionMenuCaption);
    void ShowControlPanel();

    void strData1(const std::string& value);
    void strData3(const std::string& value);
    std::string strData1();
    std::string strData2();
    std::string strData3();
    std::string strStates0();
    std::string strStates1();
    void strData2(const std::string& value);
    void strStates0(const std::string& value);
    void strStates1(const std::string& value);

    bool ZoomIn(ObjectRef& picMap);
    bool SpecialMenuOption(ObjectRef& picMap, std::int16_t& intIndex);
    bool ZoomAll(ObjectRef& picMap);
    bool ZoomPan(ObjectRef& picMap, std::int16_t& intPan);
    bool ZoomOut(ObjectRef& picMap);

    // Dispatch: names resolve case-insensitively; a put and a get of one property share an id.
    std::optional<DispId> id_of_name(std::string_view name) const override;
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override;

private:
    // Picture size: pixels as the scale, the picture's size handed to the engine map.
    void size_map_to_picture(const ObjectRef& picMap);
    void SizeMap(std::int32_t width, std::int32_t height);
    void RenderMap(const ObjectRef& pic);
    void ApplyOverlay();
    void ApplyUnderlay();
    void ZoomToUnderlay();
    void WriteMapInfFile(double west, double north, double east, double south);
    void WriteLayerVisibility();
    void LoadSettings();
    void remember_picture(const ObjectRef& picMap);
    // The control panel asks for the engine's own about box.
    void mcCpanel_AboutCartix();

    // The engine control on the hidden form; raises "object variable not set" before Initialize.
    EngineControl engine() const;
    // Element intIndex of the host form's mnuMapSpecialOptions.
    ObjectRef special_menu_element(std::int16_t index) const;
    std::string engine_settings_file() const;

    bool m_control_ok = false;
    std::string m_callsign;
    std::string m_fav_file;
    ObjectRef m_host_form;
    ObjectRef m_events;
    ObjectRef m_pic_map;
    std::shared_ptr<frmTolm> m_frm_p;

    std::int32_t m_map_width = 0;
    std::int32_t m_map_height = 0;
    double m_view_west = 0;
    double m_view_east = 0;
    double m_view_north = 0;
    double m_view_south = 0;
    bool m_first_render_done = false;
    std::int32_t m_engine_color = 0;
    bool m_mono = false;
    bool m_white_background = false;
    std::string m_ovl_file;
    std::string m_under_file;
    std::string m_ovl_loaded;
    std::string m_under_loaded;
    bool m_ovl_applied = false;
    // The search dialog, the searches and the mile-marker line (server/search/map_search.h).
    std::unique_ptr<MapSearch> m_search;
    // The control panel's controller, only while ShowControlPanel runs.
    std::unique_ptr<clsCpanel> m_cpanel;
};

// The error source the client sees for errors raised by the server's own code.
inline constexpr const char* k_error_source = "TolmServer7";

}  // namespace tolm::server
