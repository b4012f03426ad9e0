#include "server/frame/win32/map_server_object.h"

#include "platform/runtime_error.h"
#include "platform/win32/com_dispatch.h"
#include "server/frame/win32/module_state.h"
#include "server/frame/frame_core.h"
#include "server/member_table.h"

#include <new>
#include <vector>

namespace tolm::frame::win32 {

namespace {

namespace com = platform::com;
using server::ParamType;

Variant read_parameter(ParamType type, void* pointer) {
    switch (type) {
        case ParamType::boolean: return Variant::boolean(*static_cast<VARIANT_BOOL*>(pointer) != VARIANT_FALSE);
        case ParamType::integer: return Variant(static_cast<std::int16_t>(*static_cast<SHORT*>(pointer)));
        case ParamType::long_integer: return Variant(static_cast<std::int32_t>(*static_cast<LONG*>(pointer)));
        case ParamType::double_real: return Variant(*static_cast<double*>(pointer));
        case ParamType::string: return Variant(com::from_bstr(*static_cast<BSTR*>(pointer)));
        case ParamType::object: return Variant(com::object_from_com(*static_cast<IDispatch**>(pointer)));
        case ParamType::string_array:
            return Variant(com::string_array_from_safearray(*static_cast<SAFEARRAY**>(pointer)));
        case ParamType::variant: return com::from_com(*static_cast<VARIANT*>(pointer));
        case ParamType::none: break;
    }
    return {};
}

// Writes a by-reference parameter back. `before` is what the caller passed: an unchanged value is
// left alone, so the client's strings, arrays and objects keep their identity.
void write_parameter(ParamType type, void* pointer, const Variant& value, const Variant& before) {
    if (value == before) return;
    switch (type) {
        case ParamType::boolean:
            *static_cast<VARIANT_BOOL*>(pointer) = value.to_bool() ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        case ParamType::integer: *static_cast<SHORT*>(pointer) = value.to_int16(); return;
        case ParamType::long_integer: *static_cast<LONG*>(pointer) = value.to_int32(); return;
        case ParamType::double_real: *static_cast<double*>(pointer) = value.to_double(); return;
        case ParamType::string: {
            BSTR text = com::to_bstr(value.to_string());
            auto* target = static_cast<BSTR*>(pointer);
            SysFreeString(*target);
            *target = text;
            return;
        }
        case ParamType::object: {
            IDispatch* object = com::com_from_object(value.is_empty() ? nullptr : value.to_object());
            auto* target = static_cast<IDispatch**>(pointer);
            if (*target) (*target)->Release();
            *target = object;
            return;
        }
        case ParamType::string_array:
            com::assign_string_array(static_cast<SAFEARRAY**>(pointer),
                                     value.is_empty() ? StringArray{} : value.as_string_array());
            return;
        case ParamType::variant: {
            VARIANT converted;
            com::to_com(value, converted);
            auto* target = static_cast<VARIANT*>(pointer);
            VariantClear(target);
            *target = converted;
            return;
        }
        case ParamType::none: return;
    }
}

void clear_result(ParamType type, void* pointer) {
    switch (type) {
        case ParamType::boolean: *static_cast<VARIANT_BOOL*>(pointer) = VARIANT_FALSE; return;
        case ParamType::string: *static_cast<BSTR*>(pointer) = nullptr; return;
        case ParamType::variant: VariantInit(static_cast<VARIANT*>(pointer)); return;
        case ParamType::integer: *static_cast<SHORT*>(pointer) = 0; return;
        case ParamType::long_integer: *static_cast<LONG*>(pointer) = 0; return;
        case ParamType::double_real: *static_cast<double*>(pointer) = 0; return;
        case ParamType::object: *static_cast<IDispatch**>(pointer) = nullptr; return;
        case ParamType::string_array: *static_cast<SAFEARRAY**>(pointer) = nullptr; return;
        case ParamType::none: return;
    }
}

void write_result(ParamType type, void* pointer, const Variant& value) {
    switch (type) {
        case ParamType::string: *static_cast<BSTR*>(pointer) = com::to_bstr(value.to_string()); return;
        case ParamType::variant: com::to_com(value, *static_cast<VARIANT*>(pointer)); return;
        case ParamType::object:
            *static_cast<IDispatch**>(pointer) = com::com_from_object(value.is_empty() ? nullptr : value.to_object());
            return;
        case ParamType::string_array:
            *static_cast<SAFEARRAY**>(pointer) =
                com::safearray_from_string_array(value.is_empty() ? StringArray{} : value.as_string_array());
            return;
        default: write_parameter(type, pointer, value, Variant()); return;
    }
}

// How COM passes each automation type: BSTR, VARIANT_BOOL, SAFEARRAY of BSTR, IDispatch, VARIANT.
class ComBinding final : public ParameterBinding {
public:
    Variant read(ParamType type, void* pointer) const override { return read_parameter(type, pointer); }
    // An unchanged value is left alone, so the client's strings, arrays and objects keep their identity.
    void write_back(ParamType type, void* pointer, const Variant& value, const Variant& before) const override {
        write_parameter(type, pointer, value, before);
    }
    void clear_result(ParamType type, void* pointer) const override { win32::clear_result(type, pointer); }
    void write_result(ParamType type, void* pointer, const Variant& value) const override {
        win32::write_result(type, pointer, value);
    }
};

const ComBinding k_binding;

}  // namespace

HRESULT MapServerObject::create(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    MapServerObject* server = nullptr;
    try {
        server = new MapServerObject();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;  // the server's own construction failed
    }
    HRESULT hr = server->QueryInterface(iid, object);
    server->Release();
    return hr;
}

MapServerObject::MapServerObject() { ModuleCounts::object_created(); }

MapServerObject::~MapServerObject() {
    if (m_type_info) m_type_info->Release();
    ModuleCounts::object_destroyed();
}

HRESULT MapServerObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        same_guid(iid, k_registration.interface_id))
        *object = static_cast<_clsMapServ*>(this);
    else if (IsEqualIID(iid, IID_ISupportErrorInfo))
        *object = static_cast<ISupportErrorInfo*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG MapServerObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }

ULONG MapServerObject::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) {
        // The server's termination must never take the client down with it.
        try {
            delete this;
        } catch (...) {
        }
    }
    return static_cast<ULONG>(left);
}

HRESULT MapServerObject::type_info(ITypeInfo** info) noexcept {
    *info = nullptr;
    if (!m_type_info) {
        std::wstring path;
        try {
            path = module_file_name();
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        ITypeLib* library = nullptr;
        HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
        if (hr < 0) return hr;
        GUID iid = to_guid(k_registration.interface_id);
        hr = library->GetTypeInfoOfGuid(iid, &m_type_info);
        library->Release();
        if (hr < 0) return hr;
    }
    m_type_info->AddRef();
    *info = m_type_info;
    return S_OK;
}

HRESULT MapServerObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT MapServerObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return type_info(info);
}

HRESULT MapServerObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = type_info(&info);
    if (hr < 0) return hr;
    // The type library's name lookup ignores case, as the client's late binding does.
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
}

HRESULT MapServerObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* excep_info, UINT* arg_error) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = type_info(&info);
    if (hr < 0) return hr;
    m_last_error = {};
    // The type library's Invoke converts the arguments and calls the vtable member, so a caller by
    // dispatch id gets exactly what a vtable caller gets.
    hr = info->Invoke(static_cast<_clsMapServ*>(this), id, flags, params, result, excep_info, arg_error);
    info->Release();
    if (hr < 0 && m_last_error.set && excep_info) {
        // Make sure the caller sees our number, source and text whatever the automation layer filled in.
        if (!excep_info->bstrDescription || hr != DISP_E_EXCEPTION) {
            SysFreeString(excep_info->bstrSource);
            SysFreeString(excep_info->bstrDescription);
            SysFreeString(excep_info->bstrHelpFile);
            *excep_info = EXCEPINFO{};
            try {
                excep_info->bstrSource = com::to_bstr(m_last_error.source);
                excep_info->bstrDescription = com::to_bstr(m_last_error.description);
            } catch (...) {
            }
        }
        excep_info->scode = hresult_from_error_number(m_last_error.number);
        hr = DISP_E_EXCEPTION;
    }
    return hr;
}

HRESULT MapServerObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return same_guid(iid, k_registration.interface_id) ? S_OK : S_FALSE;
}

HRESULT MapServerObject::report(std::int32_t number, const std::string& source,
                                const std::string& description) noexcept {
    try {
        m_last_error = {true, number, source, description};
        ICreateErrorInfo* create = nullptr;
        if (CreateErrorInfo(&create) >= 0 && create) {
            GUID iid = to_guid(k_registration.interface_id);
            create->SetGUID(iid);
            std::wstring wide_source = com::to_wide(source);
            std::wstring wide_description = com::to_wide(description);
            create->SetSource(wide_source.data());
            create->SetDescription(wide_description.data());
            IErrorInfo* info = nullptr;
            if (create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)) >= 0 && info) {
                SetErrorInfo(0, info);
                info->Release();
            }
            create->Release();
        }
    } catch (...) {
        // Without memory for the text the caller still gets the failed result.
    }
    return hresult_from_error_number(number);
}

HRESULT MapServerObject::call(int slot, std::initializer_list<void*> pointers) noexcept {
    CallError error;
    switch (call_member(m_server, slot, pointers, k_binding, error)) {
        case CallStatus::succeeded: return S_OK;
        case CallStatus::null_pointer: return E_POINTER;
        case CallStatus::wrong_parameter_count: return E_UNEXPECTED;
        case CallStatus::failed: break;
    }
    return report(error.number, error.source, error.description);
}

#define TOLM_DEFINE_MEMBER(slot, member, parameters, names) \
    HRESULT MapServerObject::member parameters { return call(slot, {TOLM_NAMES names}); }
TOLM_CLSMAPSERV_MEMBERS(TOLM_DEFINE_MEMBER)
#undef TOLM_DEFINE_MEMBER

}  // namespace tolm::frame::win32
