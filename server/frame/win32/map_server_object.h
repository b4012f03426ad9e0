#pragma once

#include "server/clsMapServ.h"

#include <windows.h>
#include <oaidl.h>

#include "TolmServer7_h.h"  // the vtable interface widl makes from TolmServer7.idl

#include <cstdint>
#include <initializer_list>
#include <string>

namespace tolm::frame::win32 {

// COM interfaces have no virtual destructor by design: the object deletes itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// One server object as the client holds it: the vtable of _clsMapServ, IDispatch through the
// embedded type library, and error information for failed calls, all over one clsMapServ. Every
// vtable member goes through the same invoke() as the Linux frame, so both ways of calling agree.
class MapServerObject final : public _clsMapServ, public ISupportErrorInfo {
public:
    // A new object answering `iid`; E_NOINTERFACE and friends as QueryInterface would say.
    static HRESULT create(REFIID iid, void** object) noexcept;

    MapServerObject(const MapServerObject&) = delete;
    MapServerObject& operator=(const MapServerObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** type_info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep_info, UINT* arg_error) override;

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    HRESULT STDMETHODCALLTYPE put_strOvlFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_strUnderFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_strOvlFile(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_strUnderFile(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_varMapBackColor(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_varSeaColor(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE AddToFavouriteViews(BSTR* strL) override;
    HRESULT STDMETHODCALLTYPE SafeCall() override;
    HRESULT STDMETHODCALLTYPE SaveFavouriteViews(SAFEARRAY** strL) override;
    HRESULT STDMETHODCALLTYPE LoadFavouriteViews(SAFEARRAY** strFav) override;
    HRESULT STDMETHODCALLTYPE get_blnControlOk(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_blnShadeMcd(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_blnShadeCounties(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_blnShadeCounties(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_blnShadeMcd(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_blnShadePlaces(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_blnShadeStates(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_blnWhiteBackground(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_blnWhiteBackground(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_blnShadePlaces(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_blnShadeStates(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE Initialize(BSTR* strCallsign, IDispatch** cMapServerEvents, IDispatch** frmT) override;
    HRESULT STDMETHODCALLTYPE DrawMapFromCorners(IDispatch** picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_blnMono(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_blnOnewayShow(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_blnMono(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_blnOnewayShow(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE ResizeMap(IDispatch** picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE DrawMapFromCentre(IDispatch** picMap, double* dblDegX, double* dblDegY, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE GetSupportedFeatures(VARIANT_BOOL* blnDiagonalPan, VARIANT_BOOL* blnZoomIn, VARIANT_BOOL* blnZoomOut, VARIANT_BOOL* blnZoomAll, VARIANT_BOOL* blnControlPanel, BSTR* strHelpFile, LONG* lngHelpTopic, BSTR* strServerShortName, SAFEARRAY** strSpecialOptionMenuCaption) override;
    HRESULT STDMETHODCALLTYPE ShowControlPanel() override;
    HRESULT STDMETHODCALLTYPE put_strData1(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_strData3(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_strData1(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_strData2(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_strData3(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_strStates0(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_strStates1(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE put_strData2(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_strStates0(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_strStates1(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE ZoomIn(IDispatch** picMap, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE SpecialMenuOption(IDispatch** picMap, short* intIndex, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE ZoomAll(IDispatch** picMap, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE ZoomPan(IDispatch** picMap, short* intPan, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE ZoomOut(IDispatch** picMap, VARIANT_BOOL* result) override;
private:
    MapServerObject();
    ~MapServerObject();

    // Runs the member in the given vtable slot (1-based, as in the member table) with the caller's
    // parameter pointers in order, the [out, retval] pointer last. No exception ever leaves it:
    // a run-time error becomes a failed HRESULT with error information set for the caller.
    HRESULT call(int slot, std::initializer_list<void*> pointers) noexcept;
    HRESULT report(std::int32_t number, const std::string& source, const std::string& description) noexcept;
    // The type information of _clsMapServ from the library's own TYPELIB resource.
    HRESULT type_info(ITypeInfo** info) noexcept;

    struct LastError {
        bool set = false;
        std::int32_t number = 0;
        std::string source;
        std::string description;
    };

    LONG m_references = 1;
    server::clsMapServ m_server;
    ITypeInfo* m_type_info = nullptr;
    LastError m_last_error;
};

#pragma GCC diagnostic pop

}  // namespace tolm::frame::win32
