#include "server/frame/win32/class_factory.h"

#include "server/frame/frame_core.h"
#include "server/frame/win32/map_server_object.h"
#include "server/frame/win32/module_state.h"

namespace tolm::frame::win32 {

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
}

ULONG ClassFactory::AddRef() { return 2; }

ULONG ClassFactory::Release() { return 1; }

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return MapServerObject::create(iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    ModuleCounts::lock(lock != FALSE);
    return S_OK;
}

ClassFactory& class_factory() noexcept {
    static ClassFactory factory;
    return factory;
}

}  // namespace tolm::frame::win32
