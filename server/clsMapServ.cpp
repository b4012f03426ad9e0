#include "server/clsMapServ.h"

#include "platform/runtime_error.h"

namespace tolm::server {

namespace {

// A member whose behaviour is not part of this build says so by name rather than pretending to work.
[[noreturn]] void not_built(const char* member) {
    throw RuntimeError(runtime_errors::object_error_base + 1000, k_error_source,
                       std::string("clsMapServ.") + member + " is not available in this build of TolmServer7");
}

}  // namespace

clsMapServ::clsMapServ() = default;
clsMapServ::~clsMapServ() = default;

void clsMapServ::strOvlFile(const std::string&) { not_built("strOvlFile"); }
void clsMapServ::strUnderFile(const std::string&) { not_built("strUnderFile"); }
std::string clsMapServ::strOvlFile() const { not_built("strOvlFile"); }
std::string clsMapServ::strUnderFile() const { not_built("strUnderFile"); }
Variant clsMapServ::varMapBackColor() { not_built("varMapBackColor"); }
Variant clsMapServ::varSeaColor() const { return {}; }
void clsMapServ::AddToFavouriteViews(std::string&) { not_built("AddToFavouriteViews"); }
void clsMapServ::SaveFavouriteViews(StringArray&) { not_built("SaveFavouriteViews"); }
void clsMapServ::LoadFavouriteViews(StringArray&) { not_built("LoadFavouriteViews"); }
bool clsMapServ::blnControlOk() const { return m_control_ok; }
void clsMapServ::blnShadeMcd(bool) { not_built("blnShadeMcd"); }
void clsMapServ::blnShadeCounties(bool) { not_built("blnShadeCounties"); }
bool clsMapServ::blnShadeCounties() { not_built("blnShadeCounties"); }
bool clsMapServ::blnShadeMcd() { not_built("blnShadeMcd"); }
bool clsMapServ::blnShadePlaces() { not_built("blnShadePlaces"); }
bool clsMapServ::blnShadeStates() { not_built("blnShadeStates"); }
bool clsMapServ::blnWhiteBackground() const { not_built("blnWhiteBackground"); }
void clsMapServ::blnWhiteBackground(bool) { not_built("blnWhiteBackground"); }
void clsMapServ::blnShadePlaces(bool) { not_built("blnShadePlaces"); }
void clsMapServ::blnShadeStates(bool) { not_built("blnShadeStates"); }
void clsMapServ::Initialize(std::string&, ObjectRef&, ObjectRef&) { not_built("Initialize"); }
bool clsMapServ::DrawMapFromCorners(ObjectRef&, double&, double&, double&, double&) { not_built("DrawMapFromCorners"); }
void clsMapServ::blnMono(bool) { not_built("blnMono"); }
void clsMapServ::blnOnewayShow(bool) { not_built("blnOnewayShow"); }
bool clsMapServ::blnMono() const { not_built("blnMono"); }
bool clsMapServ::blnOnewayShow() { not_built("blnOnewayShow"); }
bool clsMapServ::ResizeMap(ObjectRef&, double&, double&, double&, double&) { not_built("ResizeMap"); }
bool clsMapServ::DrawMapFromCentre(ObjectRef&, double&, double&) { not_built("DrawMapFromCentre"); }
void clsMapServ::GetSupportedFeatures(bool&, bool&, bool&, bool&, bool&, std::string&, std::int32_t&, std::string&,
                                      StringArray&) {
    not_built("GetSupportedFeatures");
}
void clsMapServ::ShowControlPanel() { not_built("ShowControlPanel"); }
void clsMapServ::strData1(const std::string&) { not_built("strData1"); }
void clsMapServ::strData3(const std::string&) { not_built("strData3"); }
std::string clsMapServ::strData1() { not_built("strData1"); }
std::string clsMapServ::strData2() { not_built("strData2"); }
std::string clsMapServ::strData3() { not_built("strData3"); }
std::string clsMapServ::strStates0() { not_built("strStates0"); }
std::string clsMapServ::strStates1() { not_built("strStates1"); }
void clsMapServ::strData2(const std::string&) { not_built("strData2"); }
void clsMapServ::strStates0(const std::string&) { not_built("strStates0"); }
void clsMapServ::strStates1(const std::string&) { not_built("strStates1"); }
bool clsMapServ::ZoomIn(ObjectRef&) { not_built("ZoomIn"); }
bool clsMapServ::SpecialMenuOption(ObjectRef&, std::int16_t&) { not_built("SpecialMenuOption"); }
bool clsMapServ::ZoomAll(ObjectRef&) { not_built("ZoomAll"); }
bool clsMapServ::ZoomPan(ObjectRef&, std::int16_t&) { not_built("ZoomPan"); }
bool clsMapServ::ZoomOut(ObjectRef&) { not_built("ZoomOut"); }

}  // namespace tolm::server
