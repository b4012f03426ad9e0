#pragma once

#include "platform/dispatch.h"
#include "platform/variant.h"

#include <string>

namespace tolm::server {

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
    bool m_control_ok = false;
};

// The error source the client sees for errors raised by the server's own code.
inline constexpr const char* k_error_source = "TolmServer7";

}  // namespace tolm::server
