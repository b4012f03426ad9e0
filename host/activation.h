#pragma once

#include "server/frame/posix/com_abi.h"

#include <optional>
#include <string>

// Creation of a registered class the way COM does it on Windows: ProgID to class identifier, class
// identifier to the library's path, load the library, ask its class factory for an object.
namespace tolm::com {

std::optional<Guid> parse_guid(const std::string& text);

// The class identifier registered for a ProgID (HKCR\<ProgID>\CLSID), if any.
std::optional<Guid> class_id_from_prog_id(const std::string& prog_id);
// The library registered for a class (HKCR\CLSID\{id}\InprocServer32), if any.
std::optional<std::string> library_of_class(const Guid& class_id);

// Creates an object and returns the interface asked for. On failure the HRESULT says why
// (REGDB_E_CLASSNOTREG when the registration is missing) and `error` a sentence.
HRESULT create_instance(const Guid& class_id, const Guid& iid, void** object, std::string* error = nullptr);
HRESULT create_instance(const std::string& prog_id, const Guid& iid, void** object, std::string* error = nullptr);

// Asks a loaded library whether it may be unloaded (its DllCanUnloadNow).
HRESULT can_unload_library(const std::string& library_path);

constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x8004F001u);

}  // namespace tolm::com
