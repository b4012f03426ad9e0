#pragma once

// The in-process object model of the Linux build: the same shapes as COM's IUnknown, IClassFactory,
// IDispatch and the dual interface _clsMapServ, with portable automation types in place of BSTR,
// VARIANT and SAFEARRAY. The vtable order of I_clsMapServ is the published one.
//
// What this boundary requires of both sides. Unlike the Windows DLL's, it is a C++ ABI: it passes
// std::string, Variant, Arguments and ObjectRef by pointer, and objects with virtual functions. So the
// library and its host (tolm, the tests, the benchmarks) must be built from one source tree with one
// compiler, standard library and flags; a host built otherwise must not load this library. In return
// the two sides share, besides these interfaces, exactly one thing: the process's ProcessServices
// (window system, device contexts, mutex markers, desktop), in libTolmProcess.so, which both link
// (platform/process_services.h). Each side keeps its own App object and module path. No C++
// exception crosses: every member and export returns an HRESULT (server/frame/frame_core.h).
#include "platform/dispatch.h"
#include "platform/variant.h"
#include "server/frame/member_list.h"
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

// The automation types as this ABI passes them by reference (member_list.h). Booleans are the
// automation values -1 and 0.
#define TOLM_BOOL std::int16_t*
#define TOLM_INT std::int16_t*
#define TOLM_LONG std::int32_t*
#define TOLM_DOUBLE double*
#define TOLM_STR std::string*
#define TOLM_OBJECT ObjectRef*
#define TOLM_ARRAY StringArray*
#define TOLM_VARIANT Variant*

// _clsMapServ: the published members in vtable order after the seven IUnknown and IDispatch slots
// (server/frame/member_list.h). Every parameter is by reference; results come back through the last
// pointer.
class I_clsMapServ : public IDispatch {
public:
#define TOLM_ABI_MEMBER(slot, member, parameters, names) virtual HRESULT member parameters = 0;
    TOLM_CLSMAPSERV_MEMBERS(TOLM_ABI_MEMBER)
#undef TOLM_ABI_MEMBER

protected:
    ~I_clsMapServ() = default;
};

// Exported entry points, with the same contract as the Windows DLL's.
using DllGetClassObjectFn = HRESULT (*)(const Guid* clsid, const Guid* iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

}  // namespace tolm::com
