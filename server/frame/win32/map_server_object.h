#pragma once

#include "server/clsMapServ.h"

#include <windows.h>
#include <oaidl.h>

#include "TolmServer7_h.h"  // the vtable interface widl makes from TolmServer7.idl

#include "server/frame/member_list.h"

#include <cstdint>
#include <initializer_list>
#include <string>

// The automation types as COM passes them by reference (member_list.h).
#define TOLM_BOOL VARIANT_BOOL*
#define TOLM_INT short*
#define TOLM_LONG LONG*
#define TOLM_DOUBLE double*
#define TOLM_STR BSTR*
#define TOLM_OBJECT IDispatch**
#define TOLM_ARRAY SAFEARRAY**
#define TOLM_VARIANT VARIANT*

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

#define TOLM_DECLARE_MEMBER(slot, member, parameters, names) HRESULT STDMETHODCALLTYPE member parameters override;
    TOLM_CLSMAPSERV_MEMBERS(TOLM_DECLARE_MEMBER)
#undef TOLM_DECLARE_MEMBER

private:
    MapServerObject();
    ~MapServerObject();

    // Runs the member in the given vtable slot through the frame core (server/frame/frame_core.h):
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
