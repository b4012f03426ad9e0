// The four exports of libTolmServer7.so, with the contract of the Windows DLL's exports.
#include "server/frame/posix/com_abi.h"
#include "server/frame/posix/map_server_object.h"
#include "server/frame/registration_table.h"

#include "platform/module_info.h"
#include "platform/registry.h"

#include <new>

namespace tolm::com {

namespace {

namespace reg = platform::registry;

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
        ModuleCounts::lock(lock);
        return S_OK;
    }
};

ClassFactory g_factory;

std::string clsid_key() { return "CLSID\\" + frame::guid_text(frame::k_registration.class_id); }

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
    return ModuleCounts::can_unload() ? S_OK : S_FALSE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    try {
        namespace reg = tolm::platform::registry;
        const auto& table = tolm::frame::k_registration;
        const std::string prog_id(table.prog_id);
        const std::string clsid = tolm::frame::guid_text(table.class_id);
        const std::string key = clsid_key();
        const std::string version =
            std::to_string(table.library_major) + "." + std::to_string(table.library_minor);
        bool ok = reg::write_string(reg::HKEY_CLASSES_ROOT, prog_id, "", prog_id) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, prog_id + "\\CLSID", "", clsid) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, key, "", prog_id) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, key + "\\ProgID", "", prog_id) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, key + "\\InprocServer32", "",
                                    tolm::platform::module_path()) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel",
                                    std::string(table.threading_model)) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, key + "\\TypeLib", "",
                                    tolm::frame::guid_text(table.library_id)) &&
                  reg::write_string(reg::HKEY_CLASSES_ROOT, key + "\\VERSION", "", version);
        return ok ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
    try {
        namespace reg = tolm::platform::registry;
        bool ok = reg::delete_tree(reg::HKEY_CLASSES_ROOT, std::string(tolm::frame::k_registration.prog_id));
        ok = reg::delete_tree(reg::HKEY_CLASSES_ROOT, clsid_key()) && ok;
        return ok ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}
