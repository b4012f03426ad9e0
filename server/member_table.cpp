#include "server/member_table.h"

#include "platform/text.h"

namespace tolm::server {

const MemberInfo* find_member(DispId id, MemberKind kind) noexcept {
    for (const auto& member : k_members)
        if (member.id == id && member.kind == kind) return &member;
    return nullptr;
}

std::optional<DispId> find_dispid(std::string_view name) noexcept {
    for (const auto& member : k_members)
        if (equals_ignoring_case(member.name, name)) return member.id;
    return std::nullopt;
}

}  // namespace tolm::server
