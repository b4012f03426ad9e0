#pragma once

// The bridge between the client's automation world (BSTR, VARIANT, SAFEARRAY, IDispatch) and the
// portable one (std::string in UTF-8, Variant, StringArray, Dispatch). Only the Windows frame and
// the Windows platform code see this header.
#include "platform/dispatch.h"
#include "platform/variant.h"

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace tolm::platform::com {

std::wstring to_wide(std::string_view utf8);
std::string from_wide(const wchar_t* text, std::size_t length);
std::string from_bstr(BSTR text);
// A new BSTR the caller owns; throws std::bad_alloc when the system has no memory for it.
BSTR to_bstr(std::string_view utf8);

// A one-dimensional SAFEARRAY of BSTR as the client's String array. A null array is an unallocated
// one; an array of another element type or rank is a type mismatch (run-time error 13).
StringArray string_array_from_safearray(SAFEARRAY* array);
// A new SAFEARRAY the caller owns, or null for an unallocated array.
SAFEARRAY* safearray_from_string_array(const StringArray& array);
// Stores `value` into the client's array reference. The array keeps its identity when the bounds are
// unchanged; a fixed-size array whose bounds would change raises run-time error 10, as ReDim would.
void assign_string_array(SAFEARRAY** target, const StringArray& value);

// VARIANT to Variant, following a by-reference VARIANT to its value.
Variant from_com(const VARIANT& value);
// Variant to a VARIANT the caller owns (it must be empty or cleared before).
void to_com(const Variant& value, VARIANT& out);

// The client's object as a late-bound ObjectRef (null stays null). The reference is counted.
ObjectRef object_from_com(IDispatch* object);
// An ObjectRef as an IDispatch the caller owns a reference to: the client's own object when the
// reference wraps one, else an automation face over the portable object. Null stays null.
IDispatch* com_from_object(const ObjectRef& object);

// The failure of a late call as the run-time error the client would see, and back.
[[noreturn]] void raise_from_hresult(HRESULT hr, const EXCEPINFO* excep_info, std::string_view member);

// An object of the client's reached through its IDispatch: names resolve through GetIDsOfNames,
// calls go through Invoke with every argument by reference, so the callee's writes come back.
class ComDispatch final : public Dispatch {
public:
    explicit ComDispatch(IDispatch* object);
    ~ComDispatch() override;
    ComDispatch(const ComDispatch&) = delete;
    ComDispatch& operator=(const ComDispatch&) = delete;

    std::optional<DispId> id_of_name(std::string_view name) const override;
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override;

    IDispatch* object() const noexcept { return m_object; }

private:
    IDispatch* m_object;
};

}  // namespace tolm::platform::com
