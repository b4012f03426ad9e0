#pragma once

#include "platform/dispatch.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tolm::server {

// The automation types of the published interface. Every parameter is passed by reference.
enum class ParamType : std::uint8_t { none, boolean, integer, long_integer, double_real, string, object, string_array, variant };

enum class MemberKind : std::uint8_t { method, get, let };

struct ParamInfo {
    std::string_view name;
    ParamType type = ParamType::none;
};

// One member of the published interface _clsMapServ, in vtable order. The Windows type library and
// the Linux dispatch are both checked against this table.
struct MemberInfo {
    int slot;  // 1-based position after the seven IUnknown and IDispatch slots
    DispId id;
    std::string_view name;
    MemberKind kind;
    std::array<ParamInfo, 9> params;
    std::size_t param_count;
    ParamType result;
};

// FIND_TYPES: the six kinds of search, also the indices of the search dialog's kind buttons.
enum FIND_TYPES : std::int32_t {
    FIND_ADDRESS = 0,
    FIND_PHONE = 1,
    FIND_CALLSIGN = 2,
    FIND_STATE = 3,
    FIND_COUNTY = 4,
    FIND_MILEMARKER = 5,
};

namespace dispid {
constexpr DispId strOvlFile = 0x68030010;
constexpr DispId strUnderFile = 0x6803000F;
constexpr DispId varMapBackColor = 0x6803000E;
constexpr DispId varSeaColor = 0x6803000D;
constexpr DispId AddToFavouriteViews = 0x6003001D;
constexpr DispId SafeCall = 0x60030020;
constexpr DispId SaveFavouriteViews = 0x60030021;
constexpr DispId LoadFavouriteViews = 0x60030022;
constexpr DispId blnControlOk = 0x6803000C;
constexpr DispId blnShadeMcd = 0x6803000B;
constexpr DispId blnShadeCounties = 0x6803000A;
constexpr DispId blnShadePlaces = 0x68030009;
constexpr DispId blnShadeStates = 0x68030008;
constexpr DispId blnWhiteBackground = 0x68030007;
constexpr DispId Initialize = 0x60030025;
constexpr DispId DrawMapFromCorners = 0x60030027;
constexpr DispId blnMono = 0x68030006;
constexpr DispId blnOnewayShow = 0x68030005;
constexpr DispId ResizeMap = 0x60030029;
constexpr DispId DrawMapFromCentre = 0x6003002A;
constexpr DispId GetSupportedFeatures = 0x6003002B;
constexpr DispId ShowControlPanel = 0x6003002C;
constexpr DispId strData1 = 0x68030004;
constexpr DispId strData3 = 0x68030003;
constexpr DispId strData2 = 0x68030002;
constexpr DispId strStates0 = 0x68030001;
constexpr DispId strStates1 = 0x68030000;
constexpr DispId ZoomIn = 0x60030032;
constexpr DispId SpecialMenuOption = 0x60030033;
constexpr DispId ZoomAll = 0x60030034;
constexpr DispId ZoomPan = 0x60030035;
constexpr DispId ZoomOut = 0x60030036;
}  // namespace dispid

namespace detail {
using P = ParamInfo;
using T = ParamType;
using K = MemberKind;
constexpr std::array<ParamInfo, 9> none{};
constexpr std::array<ParamInfo, 9> one(ParamInfo a) { return {a}; }
constexpr std::array<ParamInfo, 9> value(T type) { return {P{"", type}}; }
constexpr std::array<ParamInfo, 9> corners{P{"picMap", T::object}, P{"dblDegX1", T::double_real},
                                           P{"dblDegY1", T::double_real}, P{"dblDegX2", T::double_real},
                                           P{"dblDegY2", T::double_real}};
}  // namespace detail

inline constexpr std::array<MemberInfo, 46> k_members = [] {
    using namespace detail;
    namespace d = dispid;
    return std::array<MemberInfo, 46>{{
        {1, d::strOvlFile, "strOvlFile", K::let, value(T::string), 1, T::none},
        {2, d::strUnderFile, "strUnderFile", K::let, value(T::string), 1, T::none},
        {3, d::strOvlFile, "strOvlFile", K::get, none, 0, T::string},
        {4, d::strUnderFile, "strUnderFile", K::get, none, 0, T::string},
        {5, d::varMapBackColor, "varMapBackColor", K::get, none, 0, T::variant},
        {6, d::varSeaColor, "varSeaColor", K::get, none, 0, T::variant},
        {7, d::AddToFavouriteViews, "AddToFavouriteViews", K::method, one(P{"strL", T::string}), 1, T::none},
        {8, d::SafeCall, "SafeCall", K::method, none, 0, T::none},
        {9, d::SaveFavouriteViews, "SaveFavouriteViews", K::method, one(P{"strL", T::string_array}), 1, T::none},
        {10, d::LoadFavouriteViews, "LoadFavouriteViews", K::method, one(P{"strFav", T::string_array}), 1, T::none},
        {11, d::blnControlOk, "blnControlOk", K::get, none, 0, T::boolean},
        {12, d::blnShadeMcd, "blnShadeMcd", K::let, value(T::boolean), 1, T::none},
        {13, d::blnShadeCounties, "blnShadeCounties", K::let, value(T::boolean), 1, T::none},
        {14, d::blnShadeCounties, "blnShadeCounties", K::get, none, 0, T::boolean},
        {15, d::blnShadeMcd, "blnShadeMcd", K::get, none, 0, T::boolean},
        {16, d::blnShadePlaces, "blnShadePlaces", K::get, none, 0, T::boolean},
        {17, d::blnShadeStates, "blnShadeStates", K::get, none, 0, T::boolean},
        {18, d::blnWhiteBackground, "blnWhiteBackground", K::get, none, 0, T::boolean},
        {19, d::blnWhiteBackground, "blnWhiteBackground", K::let, value(T::boolean), 1, T::none},
        {20, d::blnShadePlaces, "blnShadePlaces", K::let, value(T::boolean), 1, T::none},
        {21, d::blnShadeStates, "blnShadeStates", K::let, value(T::boolean), 1, T::none},
        {22, d::Initialize, "Initialize", K::method,
         {P{"strCallsign", T::string}, P{"cMapServerEvents", T::object}, P{"frmT", T::object}}, 3, T::none},
        {23, d::DrawMapFromCorners, "DrawMapFromCorners", K::method, corners, 5, T::boolean},
        {24, d::blnMono, "blnMono", K::let, value(T::boolean), 1, T::none},
        {25, d::blnOnewayShow, "blnOnewayShow", K::let, value(T::boolean), 1, T::none},
        {26, d::blnMono, "blnMono", K::get, none, 0, T::boolean},
        {27, d::blnOnewayShow, "blnOnewayShow", K::get, none, 0, T::boolean},
        {28, d::ResizeMap, "ResizeMap", K::method, corners, 5, T::boolean},
        {29, d::DrawMapFromCentre, "DrawMapFromCentre", K::method,
         {P{"picMap", T::object}, P{"dblDegX", T::double_real}, P{"dblDegY", T::double_real}}, 3, T::boolean},
        {30, d::GetSupportedFeatures, "GetSupportedFeatures", K::method,
         {P{"blnDiagonalPan", T::boolean}, P{"blnZoomIn", T::boolean}, P{"blnZoomOut", T::boolean},
          P{"blnZoomAll", T::boolean}, P{"blnControlPanel", T::boolean}, P{"strHelpFile", T::string},
          P{"lngHelpTopic", T::long_integer}, P{"strServerShortName", T::string},
          P{"strSpecialOptionMenuCaption", T::string_array}},
         9, T::none},
        {31, d::ShowControlPanel, "ShowControlPanel", K::method, none, 0, T::none},
        {32, d::strData1, "strData1", K::let, value(T::string), 1, T::none},
        {33, d::strData3, "strData3", K::let, value(T::string), 1, T::none},
        {34, d::strData1, "strData1", K::get, none, 0, T::string},
        {35, d::strData2, "strData2", K::get, none, 0, T::string},
        {36, d::strData3, "strData3", K::get, none, 0, T::string},
        {37, d::strStates0, "strStates0", K::get, none, 0, T::string},
        {38, d::strStates1, "strStates1", K::get, none, 0, T::string},
        {39, d::strData2, "strData2", K::let, value(T::string), 1, T::none},
        {40, d::strStates0, "strStates0", K::let, value(T::string), 1, T::none},
        {41, d::strStates1, "strStates1", K::let, value(T::string), 1, T::none},
        {42, d::ZoomIn, "ZoomIn", K::method, one(P{"picMap", T::object}), 1, T::boolean},
        {43, d::SpecialMenuOption, "SpecialMenuOption", K::method,
         {P{"picMap", T::object}, P{"intIndex", T::integer}}, 2, T::boolean},
        {44, d::ZoomAll, "ZoomAll", K::method, one(P{"picMap", T::object}), 1, T::boolean},
        {45, d::ZoomPan, "ZoomPan", K::method, {P{"picMap", T::object}, P{"intPan", T::integer}}, 2, T::boolean},
        {46, d::ZoomOut, "ZoomOut", K::method, one(P{"picMap", T::object}), 1, T::boolean},
    }};
}();

// The member with this dispatch id and kind, if the interface has one.
const MemberInfo* find_member(DispId id, MemberKind kind) noexcept;
// The dispatch id of a member name, case-insensitively.
std::optional<DispId> find_dispid(std::string_view name) noexcept;

}  // namespace tolm::server
