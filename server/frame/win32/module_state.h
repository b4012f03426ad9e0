#pragma once

// What the whole library shares: its own module handle, the counts that decide whether the client
// may unload it, and the identity of the registration table in Windows' own GUID type.
#include "server/frame/registration_table.h"

#include <windows.h>

namespace tolm::frame::win32 {

// Set by the library's entry point when the process loads it, before any export is called.
HMODULE module_handle() noexcept;
void set_module_handle(HMODULE module) noexcept;
// The library's full path, as registration writes it and the type library is loaded from.
std::wstring module_file_name();

// Live server objects and class factory locks: DllCanUnloadNow answers S_OK only when both are 0.
void object_created() noexcept;
void object_destroyed() noexcept;
void lock_module(bool lock) noexcept;
bool module_can_unload() noexcept;

GUID to_guid(const Guid& guid) noexcept;
bool same_guid(const GUID& a, const Guid& b) noexcept;

}  // namespace tolm::frame::win32
