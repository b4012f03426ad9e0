// The four exports of libTolmServer7.so, with the contract of the Windows DLL's exports.
#include "server/frame/frame_core.h"
#include "server/frame/posix/com_abi.h"
#include "server/frame/posix/map_server_object.h"
#include "server/frame/registration_table.h"

#include "platform/module_info.h"
#include "platform/registry.h"

#include <new>

namespace tolm::com {

namespace {


class ClassFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!(iid == IID_IUnknown || iid == IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The factory is a static object; the module's lock count, not its references, keeps the library.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            auto* server = new MapServerObject();
            HRESULT hr = server->QueryInterface(iid, object);
            server->Release();
            return hr;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

    HRESULT LockServer(bool lock) override {
        frame::ModuleCounts::lock(lock);
        return S_OK;
    }
};

ClassFactory g_factory;

}  // namespace

}  // namespace tolm::com

using namespace tolm::com;  // NOLINT: the exports are plain C functions at global scope

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const Guid* clsid, const Guid* iid,
                                                                           void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!clsid || !iid) return E_INVALIDARG;
    if (!(*clsid == tolm::frame::k_registration.class_id)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(*iid, object);
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return tolm::frame::ModuleCounts::can_unload() ? S_OK : S_FALSE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    try {
        namespace reg = tolm::platform::registry;
        for (const auto& row : tolm::frame::registration_rows()) {
            const std::string& value = row.is_library_path ? tolm::platform::module_path() : row.value;
            if (!reg::write_string(reg::HKEY_CLASSES_ROOT, row.key, row.name, value)) return SELFREG_E_CLASS;
        }
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
    try {
        namespace reg = tolm::platform::registry;
        bool ok = true;
        for (const auto& root : tolm::frame::registration_roots()) ok = reg::delete_tree(reg::HKEY_CLASSES_ROOT, root) && ok;
        return ok ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}
