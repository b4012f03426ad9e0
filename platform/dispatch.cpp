#include "platform/dispatch.h"

#include "platform/runtime_error.h"
#include "platform/text.h"

namespace tolm {

namespace {

DispId resolve(const ObjectRef& object, std::string_view name) {
    if (!object) raise_runtime_error(runtime_errors::object_variable_not_set, "late binding");
    auto id = object->id_of_name(name);
    if (!id) raise_runtime_error(runtime_errors::object_does_not_support_member, std::string(name));
    return *id;
}

}  // namespace

Variant call_method(const ObjectRef& object, std::string_view name, Arguments& args) {
    DispId id = resolve(object, name);
    return object->invoke(id, InvokeKind::method, args);
}

Variant call_method(const ObjectRef& object, std::string_view name, Arguments&& args) {
    Arguments local = std::move(args);
    return call_method(object, name, local);
}

Variant get_property(const ObjectRef& object, std::string_view name, Arguments&& index) {
    DispId id = resolve(object, name);
    Arguments local = std::move(index);
    return object->invoke(id, InvokeKind::property_get, local);
}

void put_property(const ObjectRef& object, std::string_view name, Variant value) {
    DispId id = resolve(object, name);
    Arguments args{std::move(value)};
    object->invoke(id, InvokeKind::property_put, args);
}

void putref_property(const ObjectRef& object, std::string_view name, ObjectRef value) {
    DispId id = resolve(object, name);
    Arguments args{Variant(std::move(value))};
    object->invoke(id, InvokeKind::property_putref, args);
}

DispId DynamicDispatch::add_member(std::string name, Handler handler, std::optional<DispId> id) {
    DispId assigned = id ? *id : m_next_id;
    if (assigned >= m_next_id) m_next_id = assigned + 1;
    m_members.push_back(Member{std::move(name), assigned, std::move(handler)});
    return assigned;
}

DispId DynamicDispatch::add_method(std::string name, std::function<Variant(Arguments&)> method) {
    return add_member(std::move(name), [method = std::move(method)](InvokeKind kind, Arguments& args) -> Variant {
        if (kind != InvokeKind::method && kind != InvokeKind::property_get)
            raise_runtime_error(runtime_errors::object_does_not_support_member, "DynamicDispatch");
        return method(args);
    });
}

DispId DynamicDispatch::add_property(std::string name, std::function<Variant()> getter,
                                     std::function<void(const Variant&)> setter) {
    std::string source = name;
    return add_member(std::move(name),
                      [getter = std::move(getter), setter = std::move(setter), source](InvokeKind kind,
                                                                                      Arguments& args) -> Variant {
                          if (kind == InvokeKind::property_get || kind == InvokeKind::method) {
                              if (!getter) raise_runtime_error(runtime_errors::object_does_not_support_member, source);
                              return getter();
                          }
                          if (!setter || args.empty())
                              raise_runtime_error(runtime_errors::wrong_number_of_arguments, source);
                          setter(args.back());
                          return {};
                      });
}

std::optional<DispId> DynamicDispatch::id_of_name(std::string_view name) const {
    for (const auto& member : m_members)
        if (equals_ignoring_case(member.name, name)) return member.id;
    return std::nullopt;
}

Variant DynamicDispatch::invoke(DispId id, InvokeKind kind, Arguments& args) {
    for (auto& member : m_members)
        if (member.id == id) return member.handler(kind, args);
    raise_runtime_error(runtime_errors::object_does_not_support_member, "DynamicDispatch");
}

void require_argument_count(const Arguments& args, std::size_t count, const std::string& source) {
    if (args.size() != count) raise_runtime_error(runtime_errors::wrong_number_of_arguments, source);
}

}  // namespace tolm
