#pragma once

// The published members of _clsMapServ in vtable order, for the frames to bind to their ABI in one
// line each: X(slot, member, (parameters), (parameter names)). Before expanding the list a frame
// spells the automation types as its ABI passes them by reference:
//   TOLM_BOOL, TOLM_INT, TOLM_LONG, TOLM_DOUBLE, TOLM_STR, TOLM_OBJECT, TOLM_ARRAY, TOLM_VARIANT.
// The slots, names and parameter counts are checked against server::k_members at compile time
// (frame_core.cpp), and each frame's compiler checks the types against its interface.
#include <string_view>

#define TOLM_CLSMAPSERV_MEMBERS(X) \
    X(1, put_strOvlFile, (TOLM_STR value), (value)) \
    X(2, put_strUnderFile, (TOLM_STR value), (value)) \
    X(3, get_strOvlFile, (TOLM_STR result), (result)) \
    X(4, get_strUnderFile, (TOLM_STR result), (result)) \
    X(5, get_varMapBackColor, (TOLM_VARIANT result), (result)) \
    X(6, get_varSeaColor, (TOLM_VARIANT result), (result)) \
    X(7, AddToFavouriteViews, (TOLM_STR strL), (strL)) \
    X(8, SafeCall, (), ()) \
    X(9, SaveFavouriteViews, (TOLM_ARRAY strL), (strL)) \
    X(10, LoadFavouriteViews, (TOLM_ARRAY strFav), (strFav)) \
    X(11, get_blnControlOk, (TOLM_BOOL result), (result)) \
    X(12, put_blnShadeMcd, (TOLM_BOOL value), (value)) \
    X(13, put_blnShadeCounties, (TOLM_BOOL value), (value)) \
    X(14, get_blnShadeCounties, (TOLM_BOOL result), (result)) \
    X(15, get_blnShadeMcd, (TOLM_BOOL result), (result)) \
    X(16, get_blnShadePlaces, (TOLM_BOOL result), (result)) \
    X(17, get_blnShadeStates, (TOLM_BOOL result), (result)) \
    X(18, get_blnWhiteBackground, (TOLM_BOOL result), (result)) \
    X(19, put_blnWhiteBackground, (TOLM_BOOL value), (value)) \
    X(20, put_blnShadePlaces, (TOLM_BOOL value), (value)) \
    X(21, put_blnShadeStates, (TOLM_BOOL value), (value)) \
    X(22, Initialize, (TOLM_STR strCallsign, TOLM_OBJECT cMapServerEvents, TOLM_OBJECT frmT), (strCallsign, cMapServerEvents, frmT)) \
    X(23, DrawMapFromCorners, (TOLM_OBJECT picMap, TOLM_DOUBLE dblDegX1, TOLM_DOUBLE dblDegY1, TOLM_DOUBLE dblDegX2, TOLM_DOUBLE dblDegY2, TOLM_BOOL result), (picMap, dblDegX1, dblDegY1, dblDegX2, dblDegY2, result)) \
    X(24, put_blnMono, (TOLM_BOOL value), (value)) \
    X(25, put_blnOnewayShow, (TOLM_BOOL value), (value)) \
    X(26, get_blnMono, (TOLM_BOOL result), (result)) \
    X(27, get_blnOnewayShow, (TOLM_BOOL result), (result)) \
    X(28, ResizeMap, (TOLM_OBJECT picMap, TOLM_DOUBLE dblDegX1, TOLM_DOUBLE dblDegY1, TOLM_DOUBLE dblDegX2, TOLM_DOUBLE dblDegY2, TOLM_BOOL result), (picMap, dblDegX1, dblDegY1, dblDegX2, dblDegY2, result)) \
    X(29, DrawMapFromCentre, (TOLM_OBJECT picMap, TOLM_DOUBLE dblDegX, TOLM_DOUBLE dblDegY, TOLM_BOOL result), (picMap, dblDegX, dblDegY, result)) \
    X(30, GetSupportedFeatures, (TOLM_BOOL blnDiagonalPan, TOLM_BOOL blnZoomIn, TOLM_BOOL blnZoomOut, TOLM_BOOL blnZoomAll, TOLM_BOOL blnControlPanel, TOLM_STR strHelpFile, TOLM_LONG lngHelpTopic, TOLM_STR strServerShortName, TOLM_ARRAY strSpecialOptionMenuCaption), (blnDiagonalPan, blnZoomIn, blnZoomOut, blnZoomAll, blnControlPanel, strHelpFile, lngHelpTopic, strServerShortName, strSpecialOptionMenuCaption)) \
    X(31, ShowControlPanel, (), ()) \
    X(32, put_strData1, (TOLM_STR value), (value)) \
    X(33, put_strData3, (TOLM_STR value), (value)) \
    X(34, get_strData1, (TOLM_STR result), (result)) \
    X(35, get_strData2, (TOLM_STR result), (result)) \
    X(36, get_strData3, (TOLM_STR result), (result)) \
    X(37, get_strStates0, (TOLM_STR result), (result)) \
    X(38, get_strStates1, (TOLM_STR result), (result)) \
    X(39, put_strData2, (TOLM_STR value), (value)) \
    X(40, put_strStates0, (TOLM_STR value), (value)) \
    X(41, put_strStates1, (TOLM_STR value), (value)) \
    X(42, ZoomIn, (TOLM_OBJECT picMap, TOLM_BOOL result), (picMap, result)) \
    X(43, SpecialMenuOption, (TOLM_OBJECT picMap, TOLM_INT intIndex, TOLM_BOOL result), (picMap, intIndex, result)) \
    X(44, ZoomAll, (TOLM_OBJECT picMap, TOLM_BOOL result), (picMap, result)) \
    X(45, ZoomPan, (TOLM_OBJECT picMap, TOLM_INT intPan, TOLM_BOOL result), (picMap, intPan, result)) \
    X(46, ZoomOut, (TOLM_OBJECT picMap, TOLM_BOOL result), (picMap, result))

// The parameter names of a member as a braced list's contents: TOLM_NAMES (a, b) is a, b.
#define TOLM_NAMES(...) __VA_ARGS__
