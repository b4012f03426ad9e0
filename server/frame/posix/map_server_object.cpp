#include "server/frame/posix/map_server_object.h"

#include "platform/runtime_error.h"

namespace tolm::com {

namespace {

using server::ParamType;

// How this ABI passes each automation type: the portable types themselves, booleans as -1 and 0.
class PosixBinding final : public frame::ParameterBinding {
public:
    Variant read(ParamType type, void* pointer) const override {
        switch (type) {
            case ParamType::boolean: return Variant::boolean(*static_cast<std::int16_t*>(pointer) != 0);
            case ParamType::integer: return Variant(*static_cast<std::int16_t*>(pointer));
            case ParamType::long_integer: return Variant(*static_cast<std::int32_t*>(pointer));
            case ParamType::double_real: return Variant(*static_cast<double*>(pointer));
            case ParamType::string: return Variant(*static_cast<std::string*>(pointer));
            case ParamType::object: return Variant(*static_cast<ObjectRef*>(pointer));
            case ParamType::string_array: return Variant(*static_cast<StringArray*>(pointer));
            case ParamType::variant: return *static_cast<Variant*>(pointer);
            case ParamType::none: break;
        }
        return {};
    }

    // Every by-reference parameter gets the callee's value back (there is no identity to keep).
    void write_back(ParamType type, void* pointer, const Variant& value, const Variant&) const override {
        write_result(type, pointer, value);
    }

    void clear_result(ParamType type, void* pointer) const override { write_result(type, pointer, Variant()); }

    void write_result(ParamType type, void* pointer, const Variant& value) const override {
        switch (type) {
            case ParamType::boolean: *static_cast<std::int16_t*>(pointer) = Variant::bool_to_int(value.to_bool()); return;
            case ParamType::integer: *static_cast<std::int16_t*>(pointer) = value.to_int16(); return;
            case ParamType::long_integer: *static_cast<std::int32_t*>(pointer) = value.to_int32(); return;
            case ParamType::double_real: *static_cast<double*>(pointer) = value.to_double(); return;
            case ParamType::string: *static_cast<std::string*>(pointer) = value.to_string(); return;
            case ParamType::object:
                *static_cast<ObjectRef*>(pointer) = value.is_empty() ? nullptr : value.to_object();
                return;
            case ParamType::string_array:
                *static_cast<StringArray*>(pointer) = value.is_empty() ? StringArray{} : value.as_string_array();
                return;
            case ParamType::variant: *static_cast<Variant*>(pointer) = value; return;
            case ParamType::none: return;
        }
    }
};

const PosixBinding k_binding;

}  // namespace

MapServerObject::MapServerObject() { frame::ModuleCounts::object_created(); }

MapServerObject::~MapServerObject() { frame::ModuleCounts::object_destroyed(); }

HRESULT MapServerObject::QueryInterface(const Guid& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == frame::k_registration.interface_id)
        *object = static_cast<I_clsMapServ*>(this);
    else if (iid == IID_IErrorInfo)
        *object = static_cast<IErrorInfo*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG MapServerObject::AddRef() { return ++m_references; }

ULONG MapServerObject::Release() {
    ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
}

HRESULT MapServerObject::GetTypeInfoCount(std::uint32_t* count) {
    if (!count) return E_POINTER;
    *count = 0;  // the type library is embedded in the Windows DLL only
    return S_OK;
}

HRESULT MapServerObject::GetTypeInfo(std::uint32_t, std::uint32_t, void** type_info) {
    if (type_info) *type_info = nullptr;
    return E_NOTIMPL;
}

HRESULT MapServerObject::GetIDsOfNames(const Guid&, const std::string* names, std::uint32_t count, std::uint32_t,
                                       DispId* ids) {
    if (!names || !ids || count == 0) return E_POINTER;
    // Only the member name is resolved; parameter names are never used by the client.
    auto id = m_server.id_of_name(names[0]);
    for (std::uint32_t i = 0; i < count; ++i) ids[i] = -1;
    if (!id) return DISP_E_UNKNOWNNAME;
    ids[0] = *id;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT MapServerObject::Invoke(DispId id, const Guid&, std::uint32_t, std::uint16_t flags, Arguments* args,
                                Variant* result, ExcepInfo* excep_info, std::uint32_t*) {
    Arguments none;
    Arguments& arguments = args ? *args : none;
    frame::CallError error;
    const bool ok = frame::guarded(
        [&] {
            Variant value = m_server.invoke(id, static_cast<InvokeKind>(flags), arguments);
            if (result) *result = std::move(value);
        },
        error);
    if (ok) {
        m_last_error = {};
        return S_OK;
    }
    failure(std::move(error));
    if (excep_info) *excep_info = m_last_error;
    return DISP_E_EXCEPTION;
}

HRESULT MapServerObject::GetSource(std::string* source) {
    if (!source) return E_POINTER;
    *source = m_last_error.source;
    return S_OK;
}

HRESULT MapServerObject::GetDescription(std::string* description) {
    if (!description) return E_POINTER;
    *description = m_last_error.description;
    return S_OK;
}

HRESULT MapServerObject::failure(frame::CallError&& error) noexcept {
    m_last_error.number = error.number;
    m_last_error.source = std::move(error.source);
    m_last_error.description = std::move(error.description);
    return hresult_from_error_number(m_last_error.number);
}

HRESULT MapServerObject::call(int slot, std::initializer_list<void*> pointers) noexcept {
    frame::CallError error;
    switch (frame::call_member(m_server, slot, pointers, k_binding, error)) {
        case frame::CallStatus::succeeded: m_last_error = {}; return S_OK;
        case frame::CallStatus::null_pointer: return E_POINTER;
        case frame::CallStatus::wrong_parameter_count: return E_UNEXPECTED;
        case frame::CallStatus::failed: break;
    }
    return failure(std::move(error));
}

#define TOLM_DEFINE_MEMBER(slot, member, parameters, names) \
    HRESULT MapServerObject::member parameters { return call(slot, {TOLM_NAMES names}); }
TOLM_CLSMAPSERV_MEMBERS(TOLM_DEFINE_MEMBER)
#undef TOLM_DEFINE_MEMBER

}  // namespace tolm::com
