#pragma once

#include "platform/variant.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolm {

using DispId = std::int32_t;

// The four ways an automation member is invoked (the values of DISPATCH_METHOD and friends).
enum class InvokeKind : std::uint16_t { method = 1, property_get = 2, property_put = 4, property_putref = 8 };

// Arguments in their natural order (first parameter first). Every argument is by reference: a member
// may write back into it, as the client's ByRef parameters allow.
using Arguments = std::vector<Variant>;

// An object bound late: members are found by name (case-insensitively) and called by dispatch id.
class Dispatch {
public:
    virtual ~Dispatch() = default;

    // The dispatch id of a member name, or nothing when the object has no such member.
    virtual std::optional<DispId> id_of_name(std::string_view name) const = 0;

    // Invokes a member. Failures are RuntimeErrors; an unknown id raises error 438.
    virtual Variant invoke(DispId id, InvokeKind kind, Arguments& args) = 0;
};

// Late calls on an object by member name, the way the client's objects are used. A missing object
// raises error 91 and an unknown name error 438, as the runtime would.
Variant call_method(const ObjectRef& object, std::string_view name, Arguments& args);
Variant call_method(const ObjectRef& object, std::string_view name, Arguments&& args = {});
Variant get_property(const ObjectRef& object, std::string_view name, Arguments&& index = {});
void put_property(const ObjectRef& object, std::string_view name, Variant value);
void putref_property(const ObjectRef& object, std::string_view name, ObjectRef value);

// An object whose members are registered at run time: the host simulation, the engine's dispatch and
// test doubles are built this way. Ids are given in order of registration unless stated.
class DynamicDispatch : public Dispatch {
public:
    using Handler = std::function<Variant(InvokeKind, Arguments&)>;

    // A member answering every invoke kind the handler accepts; returns its id.
    DispId add_member(std::string name, Handler handler, std::optional<DispId> id = std::nullopt);
    DispId add_method(std::string name, std::function<Variant(Arguments&)> method);
    DispId add_property(std::string name, std::function<Variant()> getter, std::function<void(const Variant&)> setter = {});

    std::optional<DispId> id_of_name(std::string_view name) const override;
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override;

private:
    struct Member {
        std::string name;
        DispId id;
        Handler handler;
    };
    std::vector<Member> m_members;
    DispId m_next_id = 1;
};

// Raises error 450 unless exactly `count` arguments were passed.
void require_argument_count(const Arguments& args, std::size_t count, const std::string& source);

}  // namespace tolm
