#pragma once

// The in-process object model of the Linux build: the same shapes as COM's IUnknown, IClassFactory,
// IDispatch and the dual interface _clsMapServ, with portable automation types in place of BSTR,
// VARIANT and SAFEARRAY. The vtable order of I_clsMapServ is the published one.
#include "platform/dispatch.h"
#include "platform/variant.h"
#include "server/frame/registration_table.h"

#include <cstdint>
#include <string>

namespace tolm::com {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using frame::Guid;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);

inline bool failed(HRESULT hr) { return hr < 0; }
inline bool succeeded(HRESULT hr) { return hr >= 0; }

constexpr Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid IID_ISupportErrorInfo{0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr Guid IID_IErrorInfo{0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr Guid GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// What EXCEPINFO carries back to an IDispatch caller.
struct ExcepInfo {
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
    virtual HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, void** type_info) = 0;
    virtual HRESULT GetIDsOfNames(const Guid& reserved, const std::string* names, std::uint32_t count,
                                  std::uint32_t locale, DispId* ids) = 0;
    // Arguments in natural order, each by reference; the result may be null for calls that ignore it.
    virtual HRESULT Invoke(DispId id, const Guid& reserved, std::uint32_t locale, std::uint16_t flags,
                           Arguments* args, Variant* result, ExcepInfo* excep_info, std::uint32_t* arg_error) = 0;

protected:
    ~IDispatch() = default;
};

// IErrorInfo of the object's last failed call, reached through QueryInterface after a failed HRESULT
// (the Linux counterpart of GetErrorInfo after ISupportErrorInfo).
class IErrorInfo : public IUnknown {
public:
    virtual HRESULT GetSource(std::string* source) = 0;
    virtual HRESULT GetDescription(std::string* description) = 0;

protected:
    ~IErrorInfo() = default;
};

// _clsMapServ: the published members in vtable order after the seven IUnknown and IDispatch slots.
// Every parameter is by reference; results come back through the last pointer. Booleans are the
// automation values -1 and 0.
class I_clsMapServ : public IDispatch {
public:
    virtual HRESULT put_strOvlFile(std::string* value) = 0;
    virtual HRESULT put_strUnderFile(std::string* value) = 0;
    virtual HRESULT get_strOvlFile(std::string* result) = 0;
    virtual HRESULT get_strUnderFile(std::string* result) = 0;
    virtual HRESULT get_varMapBackColor(Variant* result) = 0;
    virtual HRESULT get_varSeaColor(Variant* result) = 0;
    virtual HRESULT AddToFavouriteViews(std::string* strL) = 0;
    virtual HRESULT SafeCall() = 0;
    virtual HRESULT SaveFavouriteViews(StringArray* strL) = 0;
    virtual HRESULT LoadFavouriteViews(StringArray* strFav) = 0;
    virtual HRESULT get_blnControlOk(std::int16_t* result) = 0;
    virtual HRESULT put_blnShadeMcd(std::int16_t* value) = 0;
    virtual HRESULT put_blnShadeCounties(std::int16_t* value) = 0;
    virtual HRESULT get_blnShadeCounties(std::int16_t* result) = 0;
    virtual HRESULT get_blnShadeMcd(std::int16_t* result) = 0;
    virtual HRESULT get_blnShadePlaces(std::int16_t* result) = 0;
    virtual HRESULT get_blnShadeStates(std::int16_t* result) = 0;
    virtual HRESULT get_blnWhiteBackground(std::int16_t* result) = 0;
    virtual HRESULT put_blnWhiteBackground(std::int16_t* value) = 0;
    virtual HRESULT put_blnShadePlaces(std::int16_t* value) = 0;
    virtual HRESULT put_blnShadeStates(std::int16_t* value) = 0;
    virtual HRESULT Initialize(std::string* strCallsign, ObjectRef* cMapServerEvents, ObjectRef* frmT) = 0;
    virtual HRESULT DrawMapFromCorners(ObjectRef* picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, std::int16_t* result) = 0;
    virtual HRESULT put_blnMono(std::int16_t* value) = 0;
    virtual HRESULT put_blnOnewayShow(std::int16_t* value) = 0;
    virtual HRESULT get_blnMono(std::int16_t* result) = 0;
    virtual HRESULT get_blnOnewayShow(std::int16_t* result) = 0;
    virtual HRESULT ResizeMap(ObjectRef* picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, std::int16_t* result) = 0;
    virtual HRESULT DrawMapFromCentre(ObjectRef* picMap, double* dblDegX, double* dblDegY, std::int16_t* result) = 0;
    virtual HRESULT GetSupportedFeatures(std::int16_t* blnDiagonalPan, std::int16_t* blnZoomIn, std::int16_t* blnZoomOut, std::int16_t* blnZoomAll, std::int16_t* blnControlPanel, std::string* strHelpFile, std::int32_t* lngHelpTopic, std::string* strServerShortName, StringArray* strSpecialOptionMenuCaption) = 0;
    virtual HRESULT ShowControlPanel() = 0;
    virtual HRESULT put_strData1(std::string* value) = 0;
    virtual HRESULT put_strData3(std::string* value) = 0;
    virtual HRESULT get_strData1(std::string* result) = 0;
    virtual HRESULT get_strData2(std::string* result) = 0;
    virtual HRESULT get_strData3(std::string* result) = 0;
    virtual HRESULT get_strStates0(std::string* result) = 0;
    virtual HRESULT get_strStates1(std::string* result) = 0;
    virtual HRESULT put_strData2(std::string* value) = 0;
    virtual HRESULT put_strStates0(std::string* value) = 0;
    virtual HRESULT put_strStates1(std::string* value) = 0;
    virtual HRESULT ZoomIn(ObjectRef* picMap, std::int16_t* result) = 0;
    virtual HRESULT SpecialMenuOption(ObjectRef* picMap, std::int16_t* intIndex, std::int16_t* result) = 0;
    virtual HRESULT ZoomAll(ObjectRef* picMap, std::int16_t* result) = 0;
    virtual HRESULT ZoomPan(ObjectRef* picMap, std::int16_t* intPan, std::int16_t* result) = 0;
    virtual HRESULT ZoomOut(ObjectRef* picMap, std::int16_t* result) = 0;
protected:
    ~I_clsMapServ() = default;
};

// Exported entry points, with the same contract as the Windows DLL's.
using DllGetClassObjectFn = HRESULT (*)(const Guid* clsid, const Guid* iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

}  // namespace tolm::com
