#pragma once

#include "server/clsMapServ.h"
#include "server/frame/frame_core.h"
#include "server/frame/posix/com_abi.h"

#include <atomic>
#include <initializer_list>

namespace tolm::com {

// One server object as the client holds it: the vtable and IDispatch faces over one clsMapServ.
class MapServerObject final : public I_clsMapServ, public IErrorInfo {
public:
    MapServerObject();
    MapServerObject(const MapServerObject&) = delete;
    MapServerObject& operator=(const MapServerObject&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, void** type_info) override;
    HRESULT GetIDsOfNames(const Guid& reserved, const std::string* names, std::uint32_t count,
                          std::uint32_t locale, DispId* ids) override;
    HRESULT Invoke(DispId id, const Guid& reserved, std::uint32_t locale, std::uint16_t flags, Arguments* args,
                   Variant* result, ExcepInfo* excep_info, std::uint32_t* arg_error) override;

    HRESULT GetSource(std::string* source) override;
    HRESULT GetDescription(std::string* description) override;

#define TOLM_DECLARE_MEMBER(slot, member, parameters, names) HRESULT member parameters override;
    TOLM_CLSMAPSERV_MEMBERS(TOLM_DECLARE_MEMBER)
#undef TOLM_DECLARE_MEMBER

private:
    ~MapServerObject();
    // Runs the member in a vtable slot through the frame core; a run-time error becomes a failed
    // HRESULT whose source and text the caller reads through IErrorInfo.
    HRESULT call(int slot, std::initializer_list<void*> pointers) noexcept;
    HRESULT failure(frame::CallError&& error) noexcept;

    std::atomic<ULONG> m_references{1};
    server::clsMapServ m_server;
    ExcepInfo m_last_error;
};

}  // namespace tolm::com
