#pragma once

// What the whole library shares: its own module handle and the identity of the registration table in
// Windows' own GUID type. (The counts that decide whether the client may unload it are the frame
// core's ModuleCounts.)
#include "server/frame/registration_table.h"

#include <windows.h>

namespace tolm::frame::win32 {

// Set by the library's entry point when the process loads it, before any export is called.
HMODULE module_handle() noexcept;
void set_module_handle(HMODULE module) noexcept;
// The library's full path, as registration writes it and the type library is loaded from.
std::wstring module_file_name();

GUID to_guid(const Guid& guid) noexcept;
bool same_guid(const GUID& a, const Guid& b) noexcept;

}  // namespace tolm::frame::win32
