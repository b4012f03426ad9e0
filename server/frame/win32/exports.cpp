// The four exports of TolmServer7.dll and its entry point. No C++ exception ever leaves them.
// (The window system's header comes before <windows.h>, whose macros would hide its constants.)
#include "ui/win32/win32_window_system.h"

#include "server/frame/frame_core.h"
#include "server/frame/registration_table.h"
#include "server/frame/win32/class_factory.h"
#include "server/frame/win32/module_state.h"
#include "server/frame/win32/registration.h"

#include <windows.h>
#include <objbase.h>

using tolm::frame::win32::class_factory;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        // The registration table is constant data; what the exports still need is our own handle.
        tolm::frame::win32::set_module_handle(instance);
        DisableThreadLibraryCalls(instance);
        // The server's forms and dialogs are real windows of the client's process, made with our handle.
        try {
            tolm::platform::win32::install_desktop_window_system(reinterpret_cast<std::uintptr_t>(instance));
        } catch (...) {
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        // Unloaded by FreeLibrary (reserved is null) the windows and classes go; at process end nothing runs.
        tolm::platform::win32::uninstall_desktop_window_system(reserved != nullptr);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!tolm::frame::win32::same_guid(clsid, tolm::frame::k_registration.class_id)) return CLASS_E_CLASSNOTAVAILABLE;
    return class_factory().QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return tolm::frame::ModuleCounts::can_unload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return tolm::frame::win32::register_server(); }

STDAPI DllUnregisterServer() { return tolm::frame::win32::unregister_server(); }
