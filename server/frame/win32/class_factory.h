#pragma once

#include <windows.h>
#include <unknwn.h>

namespace tolm::frame::win32 {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The class factory of clsMapServ. It lives as long as the library: its references do not keep the
// library loaded, only LockServer does, so DllCanUnloadNow looks at objects and locks alone.
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

#pragma GCC diagnostic pop

ClassFactory& class_factory() noexcept;

}  // namespace tolm::frame::win32
