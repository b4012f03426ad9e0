#pragma once

// What the two frames (win32/ for TolmServer7.dll, posix/ for libTolmServer7.so) share: the member
// call driven by the member table, the catch ladder that keeps every C++ exception inside the
// library, the counts that decide whether the library may be unloaded, and the registration rows.
// Each frame adds only its ABI: how its caller passes each automation type, and how a failure is
// handed back (COM error information on Windows, IErrorInfo/ExcepInfo of com_abi.h on Linux).
#include "platform/dispatch.h"
#include "platform/variant.h"
#include "server/member_table.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tolm::frame {

// A run-time error as the caller receives it: its number, source and text.
struct CallError {
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

// The catch ladder, called inside a catch (...) block: a RuntimeError keeps its number, source and
// text; running out of memory is error 7 "Out of memory"; anything else is a failed call with the
// exception's text. Never throws.
CallError error_of_current_exception() noexcept;

// Runs `call`; true when it succeeded, otherwise `error` says why. No exception leaves it.
template <typename Call>
bool guarded(Call&& call, CallError& error) noexcept {
    try {
        call();
        return true;
    } catch (...) {
        error = error_of_current_exception();
        return false;
    }
}

// How one ABI passes each automation type by reference (the pointers a vtable member receives).
class ParameterBinding {
public:
    virtual Variant read(server::ParamType type, void* pointer) const = 0;
    // Writes a by-reference parameter back after the call; `before` is what the caller passed.
    virtual void write_back(server::ParamType type, void* pointer, const Variant& value, const Variant& before) const = 0;
    // An [out, retval] holds nothing of the caller's: it is cleared before the call, so that a failed
    // call leaves nothing for the caller to free.
    virtual void clear_result(server::ParamType type, void* pointer) const = 0;
    virtual void write_result(server::ParamType type, void* pointer, const Variant& value) const = 0;

protected:
    ~ParameterBinding() = default;
};

enum class CallStatus { succeeded, null_pointer, wrong_parameter_count, failed };

// Calls, on the server (a clsMapServ), the member in vtable `slot` (1-based, as in server::k_members) with the caller's parameter
// pointers in order and the [out, retval] pointer last. On `failed`, `error` holds the run-time error.
CallStatus call_member(Dispatch& server, int slot, std::initializer_list<void*> pointers,
                       const ParameterBinding& binding, CallError& error) noexcept;

// Live server objects and class factory locks of the library: DllCanUnloadNow answers S_OK only
// when both are zero.
class ModuleCounts {
public:
    static void object_created() noexcept { s_objects.fetch_add(1); }
    static void object_destroyed() noexcept { s_objects.fetch_sub(1); }
    static void lock(bool on) noexcept { on ? s_locks.fetch_add(1) : s_locks.fetch_sub(1); }
    static bool can_unload() noexcept { return s_objects.load() == 0 && s_locks.load() == 0; }

private:
    static inline std::atomic<long> s_objects{0};
    static inline std::atomic<long> s_locks{0};
};

// One string value that DllRegisterServer writes under HKEY_CLASSES_ROOT. The in-process server row
// takes the library's own path, which each frame knows in its own way.
struct RegistrationRow {
    std::string key;
    std::string name;  // empty: the key's default value
    std::string value;
    bool is_library_path = false;
};

// The eight rows of the class's registration, in the order they are written.
std::vector<RegistrationRow> registration_rows();
// The keys DllUnregisterServer removes with everything below them.
std::vector<std::string> registration_roots();

}  // namespace tolm::frame
