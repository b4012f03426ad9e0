#include "server/frame/frame_core.h"

#include "platform/runtime_error.h"
#include "server/clsMapServ.h"
#include "server/frame/member_list.h"
#include "server/frame/registration_table.h"

#include <exception>
#include <new>

namespace tolm::frame {

namespace {

using server::MemberKind;
using server::ParamType;

InvokeKind invoke_kind(MemberKind kind) {
    switch (kind) {
        case MemberKind::get: return InvokeKind::property_get;
        case MemberKind::let: return InvokeKind::property_put;
        case MemberKind::method: break;
    }
    return InvokeKind::method;
}

std::string clsid_key() { return "CLSID\\" + guid_text(k_registration.class_id); }

// The frames' one-line bindings come from member_list.h; it must say what the member table says.
struct ListedMember {
    int slot;
    std::string_view member;
    std::string_view names;
};

#define TOLM_LISTED_MEMBER(slot, member, parameters, names) ListedMember{slot, #member, #names},
constexpr ListedMember k_listed[] = {TOLM_CLSMAPSERV_MEMBERS(TOLM_LISTED_MEMBER)};
#undef TOLM_LISTED_MEMBER

constexpr std::size_t count_names(std::string_view names) {
    if (names == "()") return 0;
    std::size_t count = 1;
    for (char c : names) count += c == ',' ? 1 : 0;
    return count;
}

constexpr std::string_view accessor_prefix(MemberKind kind) {
    return kind == MemberKind::get ? "get_" : kind == MemberKind::let ? "put_" : "";
}

constexpr bool list_matches_member_table() {
    if (std::size(k_listed) != server::k_members.size()) return false;
    for (std::size_t i = 0; i < server::k_members.size(); ++i) {
        const server::MemberInfo& member = server::k_members[i];
        const ListedMember& listed = k_listed[i];
        const std::string_view prefix = accessor_prefix(member.kind);
        if (listed.slot != member.slot || listed.member.substr(0, prefix.size()) != prefix ||
            listed.member.substr(prefix.size()) != member.name ||
            count_names(listed.names) != member.param_count + (member.result != ParamType::none ? 1 : 0))
            return false;
    }
    return true;
}

static_assert(list_matches_member_table(), "member_list.h and server::k_members disagree");

}  // namespace

CallError error_of_current_exception() noexcept {
    constexpr std::int32_t failed_call = runtime_errors::object_error_base + 1001;
    try {
        try {
            throw;
        } catch (const RuntimeError& error) {
            return {error.number(), error.source(), error.description()};
        } catch (const std::bad_alloc&) {
            return {7, server::k_error_source, "Out of memory"};
        } catch (const std::exception& error) {
            return {failed_call, server::k_error_source, error.what()};
        } catch (...) {
            return {failed_call, server::k_error_source, "Unexpected failure"};
        }
    } catch (...) {
        // No memory even for the text: the number alone still tells the caller the call failed.
        return {7, {}, {}};
    }
}

CallStatus call_member(Dispatch& server, int slot, std::initializer_list<void*> pointers,
                       const ParameterBinding& binding, CallError& error) noexcept {
    if (slot < 1 || static_cast<std::size_t>(slot) > server::k_members.size())
        return CallStatus::wrong_parameter_count;
    const server::MemberInfo& member = server::k_members[static_cast<std::size_t>(slot - 1)];
    const bool has_result = member.result != ParamType::none;
    if (pointers.size() != member.param_count + (has_result ? 1 : 0)) return CallStatus::wrong_parameter_count;
    for (void* pointer : pointers) {
        if (!pointer) return CallStatus::null_pointer;
    }
    const auto* pointer = pointers.begin();
    const bool ok = guarded(
        [&] {
            if (has_result) binding.clear_result(member.result, pointer[member.param_count]);
            Arguments args;
            args.reserve(member.param_count);
            for (std::size_t i = 0; i < member.param_count; ++i)
                args.push_back(binding.read(member.params[i].type, pointer[i]));
            const InvokeKind kind = invoke_kind(member.kind);
            const Arguments before = args;
            Variant value = server.invoke(member.id, kind, args);
            if (kind != InvokeKind::property_put) {
                for (std::size_t i = 0; i < member.param_count; ++i)
                    binding.write_back(member.params[i].type, pointer[i], args[i], before[i]);
            }
            if (has_result) binding.write_result(member.result, pointer[member.param_count], value);
        },
        error);
    return ok ? CallStatus::succeeded : CallStatus::failed;
}

std::vector<RegistrationRow> registration_rows() {
    const std::string prog_id(k_registration.prog_id);
    const std::string key = clsid_key();
    const std::string version =
        std::to_string(k_registration.library_major) + "." + std::to_string(k_registration.library_minor);
    return {
        {prog_id, "", prog_id, false},
        {prog_id + "\\CLSID", "", guid_text(k_registration.class_id), false},
        {key, "", prog_id, false},
        {key + "\\ProgID", "", prog_id, false},
        {key + "\\InprocServer32", "", "", true},
        {key + "\\InprocServer32", "ThreadingModel", std::string(k_registration.threading_model), false},
        {key + "\\TypeLib", "", guid_text(k_registration.library_id), false},
        {key + "\\VERSION", "", version, false},
    };
}

std::vector<std::string> registration_roots() { return {std::string(k_registration.prog_id), clsid_key()}; }

}  // namespace tolm::frame
