#pragma once

#include <windows.h>

// What DllRegisterServer and DllUnregisterServer write and remove under HKEY_CLASSES_ROOT: the
// ProgID, the class with its in-process server and threading model, and the type library with the
// interface marshalled through it.
namespace tolm::frame::win32 {

// S_OK, or SELFREG_E_CLASS / SELFREG_E_TYPELIB when a key or the type library cannot be written;
// a registration that fails part way removes what it had written.
HRESULT register_server() noexcept;
// S_OK when nothing of the registration is left (also when there was none).
HRESULT unregister_server() noexcept;

}  // namespace tolm::frame::win32
