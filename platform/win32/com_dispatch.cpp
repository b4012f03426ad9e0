#include "platform/win32/com_dispatch.h"

#include "platform/runtime_error.h"

#include <new>
#include <vector>

namespace tolm::platform::com {

namespace {

constexpr std::int32_t k_array_fixed_or_locked = 10;
constexpr std::int32_t k_out_of_memory = 7;
constexpr std::int32_t k_argument_not_optional = 449;

// Marks the automation face we put over a portable object, so it is unwrapped again when the
// client hands it back instead of being wrapped twice.
constexpr GUID k_bridge_iid{0x6c0f7a41, 0x3d52, 0x4b8e, {0x9a, 0x17, 0x52, 0xe3, 0x0b, 0x8d, 0x44, 0x21}};

[[noreturn]] void raise_number(std::int32_t number, std::string source, std::string text = {}) {
    if (text.empty()) text = runtime_error_text(number);
    throw RuntimeError(number, std::move(source), text);
}

// Owns the VARIANTs of one late call and clears them however the call ends.
class VariantStore {
public:
    explicit VariantStore(std::size_t count) : m_values(count) {
        for (auto& value : m_values) VariantInit(&value);
    }
    ~VariantStore() {
        for (auto& value : m_values) VariantClear(&value);
    }
    VariantStore(const VariantStore&) = delete;
    VariantStore& operator=(const VariantStore&) = delete;
    VARIANT& operator[](std::size_t index) { return m_values[index]; }

private:
    std::vector<VARIANT> m_values;
};

// A by-reference argument pointing into `value`, typed where the client's runtime would type it.
VARIANTARG by_reference(VARIANT& value) {
    VARIANTARG arg;
    VariantInit(&arg);
    switch (value.vt) {
        case VT_BOOL: arg.pboolVal = &value.boolVal; break;
        case VT_I2: arg.piVal = &value.iVal; break;
        case VT_I4: arg.plVal = &value.lVal; break;
        case VT_R8: arg.pdblVal = &value.dblVal; break;
        case VT_BSTR: arg.pbstrVal = &value.bstrVal; break;
        case VT_DISPATCH: arg.ppdispVal = &value.pdispVal; break;
        default:
            if (value.vt & VT_ARRAY) {
                arg.pparray = &value.parray;
                break;
            }
            arg.vt = VT_BYREF | VT_VARIANT;
            arg.pvarVal = &value;
            return arg;
    }
    arg.vt = static_cast<VARTYPE>(VT_BYREF | value.vt);
    return arg;
}

// Writes a value back through a by-reference argument the client passed.
void store_by_reference(VARIANTARG& target, const Variant& value) {
    switch (target.vt & ~VT_BYREF) {
        case VT_VARIANT:
            if (!target.pvarVal) return;
            VariantClear(target.pvarVal);
            to_com(value, *target.pvarVal);
            return;
        case VT_BOOL: *target.pboolVal = value.to_bool() ? VARIANT_TRUE : VARIANT_FALSE; return;
        case VT_I2: *target.piVal = value.to_int16(); return;
        case VT_I4: *target.plVal = value.to_int32(); return;
        case VT_R8: *target.pdblVal = value.to_double(); return;
        case VT_BSTR: {
            BSTR text = to_bstr(value.to_string());
            SysFreeString(*target.pbstrVal);
            *target.pbstrVal = text;
            return;
        }
        case VT_DISPATCH: {
            IDispatch* object = com_from_object(value.is_empty() ? nullptr : value.to_object());
            if (*target.ppdispVal) (*target.ppdispVal)->Release();
            *target.ppdispVal = object;
            return;
        }
        case VT_ARRAY | VT_BSTR:
            assign_string_array(target.pparray, value.is_empty() ? StringArray{} : value.as_string_array());
            return;
        default:
            return;  // a type the server never writes back
    }
}

// COM interfaces have no virtual destructor by design: every object deletes itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The automation face of a portable object, for the few places where one of ours goes out as an
// IDispatch (a Variant holding an object, a by-reference object the server replaced).
class DispatchBridge final : public IDispatch {
public:
    explicit DispatchBridge(ObjectRef object) : m_object(std::move(object)) {}
    DispatchBridge(const DispatchBridge&) = delete;
    DispatchBridge& operator=(const DispatchBridge&) = delete;

    const ObjectRef& object() const noexcept { return m_object; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, k_bridge_iid)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        if (count == 0) return S_OK;
        HRESULT hr = S_OK;
        try {
            auto id = m_object->id_of_name(from_wide(names[0], wcslen(names[0])));
            ids[0] = id ? *id : DISPID_UNKNOWN;
            if (!id) hr = DISP_E_UNKNOWNNAME;
        } catch (...) {
            ids[0] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        // Parameter names are not known to a portable object.
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep_info, UINT*) override {
        if (!params) return E_POINTER;
        const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        if (params->cNamedArgs > (put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
        if (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_NONAMEDARGS;
        InvokeKind kind = InvokeKind::property_get;
        if (flags & DISPATCH_PROPERTYPUTREF)
            kind = InvokeKind::property_putref;
        else if (flags & DISPATCH_PROPERTYPUT)
            kind = InvokeKind::property_put;
        else if (flags & DISPATCH_METHOD)
            kind = InvokeKind::method;
        try {
            const UINT count = params->cArgs;
            Arguments args;
            args.reserve(count);
            // DISPPARAMS hold the arguments last first; the portable side wants them in natural order,
            // with a put's value (the named DISPID_PROPERTYPUT argument, at index 0) last.
            if (put && count > 0) {
                for (UINT i = count; i-- > 1;) args.push_back(from_com(params->rgvarg[i]));
                args.push_back(from_com(params->rgvarg[0]));
            } else {
                for (UINT i = count; i-- > 0;) args.push_back(from_com(params->rgvarg[i]));
            }
            Variant value = m_object->invoke(id, kind, args);
            const UINT written = put && count > 0 ? count - 1 : count;
            for (UINT i = 0; i < written; ++i) {
                VARIANTARG& arg = params->rgvarg[count - 1 - i];
                if (arg.vt & VT_BYREF) store_by_reference(arg, args[i]);
            }
            if (result) {
                VariantInit(result);
                to_com(value, *result);
            }
            return S_OK;
        } catch (const RuntimeError& error) {
            return fail(excep_info, error.number(), error.source(), error.description());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const std::exception& error) {
            return fail(excep_info, runtime_errors::object_error_base + 1001, "TolmServer7", error.what());
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

private:
    ~DispatchBridge() = default;

    static HRESULT fail(EXCEPINFO* excep_info, std::int32_t number, const std::string& source,
                        const std::string& description) {
        if (excep_info) {
            *excep_info = EXCEPINFO{};
            excep_info->scode = hresult_from_error_number(number);
            try {
                excep_info->bstrSource = to_bstr(source);
                excep_info->bstrDescription = to_bstr(description);
            } catch (...) {
            }
        }
        return DISP_E_EXCEPTION;
    }

    LONG m_references = 1;
    ObjectRef m_object;
};

#pragma GCC diagnostic pop

}  // namespace

std::wstring to_wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::string from_wide(const wchar_t* text, std::size_t length) {
    if (!text || length == 0) return {};
    const int count = static_cast<int>(length);
    int needed = WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, count, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::string from_bstr(BSTR text) { return text ? from_wide(text, SysStringLen(text)) : std::string(); }

BSTR to_bstr(std::string_view utf8) {
    std::wstring wide = to_wide(utf8);
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!text) throw std::bad_alloc();
    return text;
}

StringArray string_array_from_safearray(SAFEARRAY* array) {
    if (!array) return {};
    VARTYPE type = VT_EMPTY;
    if (SafeArrayGetDim(array) != 1 || SafeArrayGetVartype(array, &type) < 0 ||
        (type != VT_BSTR && type != VT_VARIANT))
        raise_number(runtime_errors::type_mismatch, "TolmServer7");
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    std::vector<std::string> items;
    if (upper >= lower) items.reserve(static_cast<std::size_t>(upper - lower + 1));
    for (LONG i = lower; i <= upper; ++i) {
        if (type == VT_BSTR) {
            BSTR item = nullptr;
            if (SafeArrayGetElement(array, &i, &item) < 0) raise_number(runtime_errors::type_mismatch, "TolmServer7");
            items.push_back(from_bstr(item));
            SysFreeString(item);
        } else {
            VARIANT item;
            VariantInit(&item);
            if (SafeArrayGetElement(array, &i, &item) < 0) raise_number(runtime_errors::type_mismatch, "TolmServer7");
            try {
                items.push_back(from_com(item).to_string());
            } catch (...) {
                VariantClear(&item);
                throw;
            }
            VariantClear(&item);
        }
    }
    return StringArray(static_cast<std::int32_t>(lower), std::move(items));
}

SAFEARRAY* safearray_from_string_array(const StringArray& array) {
    if (!array.allocated) return nullptr;
    SAFEARRAYBOUND bound{static_cast<ULONG>(array.items.size()), array.lower};
    SAFEARRAY* result = SafeArrayCreate(VT_BSTR, 1, &bound);
    if (!result) throw std::bad_alloc();
    for (std::size_t i = 0; i < array.items.size(); ++i) {
        LONG index = array.lower + static_cast<LONG>(i);
        BSTR item = nullptr;
        try {
            item = to_bstr(array.items[i]);
        } catch (...) {
            SafeArrayDestroy(result);
            throw;
        }
        HRESULT hr = SafeArrayPutElement(result, &index, item);  // copies the string
        SysFreeString(item);
        if (hr < 0) {
            SafeArrayDestroy(result);
            throw std::bad_alloc();
        }
    }
    return result;
}

void assign_string_array(SAFEARRAY** target, const StringArray& value) {
    if (!target) raise_number(runtime_errors::object_required, "TolmServer7");
    SAFEARRAY* old = *target;
    if (old && string_array_from_safearray(old) == value) return;
    const USHORT fixed = FADF_FIXEDSIZE | FADF_STATIC | FADF_EMBEDDED | FADF_AUTO;
    if (old) {
        LONG lower = 0;
        LONG upper = -1;
        SafeArrayGetLBound(old, 1, &lower);
        SafeArrayGetUBound(old, 1, &upper);
        VARTYPE type = VT_EMPTY;
        SafeArrayGetVartype(old, &type);
        const bool same_bounds = value.allocated && type == VT_BSTR && lower == value.lower &&
                                 upper - lower + 1 == static_cast<LONG>(value.items.size());
        if (same_bounds) {
            for (std::size_t i = 0; i < value.items.size(); ++i) {
                LONG index = lower + static_cast<LONG>(i);
                BSTR item = to_bstr(value.items[i]);
                HRESULT hr = SafeArrayPutElement(old, &index, item);
                SysFreeString(item);
                if (hr < 0) raise_number(k_array_fixed_or_locked, "TolmServer7", "This array is fixed or temporarily locked");
            }
            return;
        }
        if ((old->fFeatures & fixed) != 0 || old->cLocks != 0)
            raise_number(k_array_fixed_or_locked, "TolmServer7", "This array is fixed or temporarily locked");
    }
    SAFEARRAY* replacement = safearray_from_string_array(value);
    if (old && SafeArrayDestroy(old) < 0) {
        if (replacement) SafeArrayDestroy(replacement);
        raise_number(k_array_fixed_or_locked, "TolmServer7", "This array is fixed or temporarily locked");
    }
    *target = replacement;
}

Variant from_com(const VARIANT& value) {
    const VARIANT* source = &value;
    while (source && source->vt == (VT_BYREF | VT_VARIANT)) source = source->pvarVal;
    if (!source) return {};
    const bool by_ref = (source->vt & VT_BYREF) != 0;
    const VARTYPE type = static_cast<VARTYPE>(source->vt & ~VT_BYREF);
    switch (type) {
        case VT_EMPTY:
        case VT_NULL:
        case VT_ERROR:  // an omitted optional argument
            return {};
        case VT_BOOL: return Variant::boolean((by_ref ? *source->pboolVal : source->boolVal) != VARIANT_FALSE);
        case VT_UI1: return Variant(static_cast<std::int16_t>(by_ref ? *source->pbVal : source->bVal));
        case VT_I2: return Variant(static_cast<std::int16_t>(by_ref ? *source->piVal : source->iVal));
        case VT_I4: return Variant(static_cast<std::int32_t>(by_ref ? *source->plVal : source->lVal));
        case VT_INT: return Variant(static_cast<std::int32_t>(by_ref ? *source->pintVal : source->intVal));
        case VT_R8: return Variant(by_ref ? *source->pdblVal : source->dblVal);
        case VT_R4: return Variant(static_cast<double>(by_ref ? *source->pfltVal : source->fltVal));
        case VT_BSTR: return Variant(from_bstr(by_ref ? *source->pbstrVal : source->bstrVal));
        case VT_DISPATCH: return Variant(object_from_com(by_ref ? *source->ppdispVal : source->pdispVal));
        case VT_UNKNOWN: {
            IUnknown* unknown = by_ref ? *source->ppunkVal : source->punkVal;
            if (!unknown) return Variant(ObjectRef());
            IDispatch* object = nullptr;
            if (unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)) < 0 || !object)
                raise_number(runtime_errors::type_mismatch, "TolmServer7");
            ObjectRef result = object_from_com(object);
            object->Release();
            return Variant(result);
        }
        default: break;
    }
    if (type & VT_ARRAY) {
        SAFEARRAY* array = by_ref ? *source->pparray : source->parray;
        const VARTYPE element = static_cast<VARTYPE>(type & ~VT_ARRAY);
        if (element == VT_BSTR || element == VT_VARIANT) return Variant(string_array_from_safearray(array));
        if (element == VT_UI1) {
            ByteArray bytes;
            if (!array) return Variant(bytes);
            if (SafeArrayGetDim(array) != 1) raise_number(runtime_errors::type_mismatch, "TolmServer7");
            LONG lower = 0;
            LONG upper = -1;
            SafeArrayGetLBound(array, 1, &lower);
            SafeArrayGetUBound(array, 1, &upper);
            bytes.lower = static_cast<std::int32_t>(lower);
            void* data = nullptr;
            if (upper >= lower && SafeArrayAccessData(array, &data) >= 0) {
                const auto* first = static_cast<const std::uint8_t*>(data);
                bytes.bytes.assign(first, first + (upper - lower + 1));
                SafeArrayUnaccessData(array);
            }
            return Variant(bytes);
        }
        raise_number(runtime_errors::type_mismatch, "TolmServer7");
    }
    // Currency, Date, Decimal and the unsigned and 64-bit integers reach the server as Doubles.
    VARIANT number;
    VariantInit(&number);
    if (VariantChangeType(&number, const_cast<VARIANT*>(source), 0, VT_R8) < 0)
        raise_number(runtime_errors::type_mismatch, "TolmServer7");
    return Variant(number.dblVal);
}

void to_com(const Variant& value, VARIANT& out) {
    VariantInit(&out);
    switch (value.type()) {
        case VariantType::empty: return;
        case VariantType::boolean:
            out.vt = VT_BOOL;
            out.boolVal = value.to_bool() ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        case VariantType::integer:
            out.vt = VT_I2;
            out.iVal = value.to_int16();
            return;
        case VariantType::long_integer:
            out.vt = VT_I4;
            out.lVal = value.to_int32();
            return;
        case VariantType::double_real:
            out.vt = VT_R8;
            out.dblVal = value.to_double();
            return;
        case VariantType::string:
            out.bstrVal = to_bstr(value.to_string());
            out.vt = VT_BSTR;
            return;
        case VariantType::object:
            out.pdispVal = com_from_object(value.to_object());
            out.vt = VT_DISPATCH;
            return;
        case VariantType::string_array:
            out.parray = safearray_from_string_array(value.as_string_array());
            out.vt = VT_ARRAY | VT_BSTR;
            return;
        case VariantType::byte_array: {
            const ByteArray& bytes = value.as_byte_array();
            SAFEARRAYBOUND bound{static_cast<ULONG>(bytes.bytes.size()), bytes.lower};
            SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
            if (!array) throw std::bad_alloc();
            void* data = nullptr;
            if (!bytes.bytes.empty() && SafeArrayAccessData(array, &data) >= 0) {
                std::copy(bytes.bytes.begin(), bytes.bytes.end(), static_cast<std::uint8_t*>(data));
                SafeArrayUnaccessData(array);
            }
            out.parray = array;
            out.vt = VT_ARRAY | VT_UI1;
            return;
        }
    }
}

ObjectRef object_from_com(IDispatch* object) {
    if (!object) return nullptr;
    DispatchBridge* bridge = nullptr;
    if (object->QueryInterface(k_bridge_iid, reinterpret_cast<void**>(&bridge)) >= 0 && bridge) {
        ObjectRef inner = bridge->object();
        bridge->Release();
        return inner;
    }
    return std::make_shared<ComDispatch>(object);
}

IDispatch* com_from_object(const ObjectRef& object) {
    if (!object) return nullptr;
    if (auto* remote = dynamic_cast<ComDispatch*>(object.get())) {
        remote->object()->AddRef();
        return remote->object();
    }
    return new DispatchBridge(object);
}

void raise_from_hresult(HRESULT hr, const EXCEPINFO* excep_info, std::string_view member) {
    std::string source(member);
    if (excep_info) {
        EXCEPINFO info = *excep_info;
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        std::int32_t number = info.scode;
        if (info.wCode != 0)
            number = info.wCode;
        else if ((static_cast<std::uint32_t>(info.scode) & 0xFFFF0000u) == 0x800A0000u)
            number = info.scode & 0xFFFF;
        std::string text = from_bstr(info.bstrDescription);
        if (info.bstrSource) source = from_bstr(info.bstrSource);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        if (number == 0) number = hr;
        if (text.empty()) text = number > 0 && number < 65536 ? runtime_error_text(number) : "Automation error";
        throw RuntimeError(number, source, text);
    }
    switch (hr) {
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND: raise_number(runtime_errors::object_does_not_support_member, source);
        case DISP_E_BADPARAMCOUNT: raise_number(runtime_errors::wrong_number_of_arguments, source);
        case DISP_E_TYPEMISMATCH: raise_number(runtime_errors::type_mismatch, source);
        case DISP_E_OVERFLOW: raise_number(runtime_errors::overflow, source);
        case DISP_E_BADINDEX: raise_number(runtime_errors::subscript_out_of_range, source);
        case DISP_E_PARAMNOTOPTIONAL: raise_number(k_argument_not_optional, source, "Argument not optional");
        case E_OUTOFMEMORY: raise_number(k_out_of_memory, source, "Out of memory");
        default: break;
    }
    if ((static_cast<std::uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u) raise_number(hr & 0xFFFF, source);
    raise_number(hr, source, "Automation error");
}

ComDispatch::ComDispatch(IDispatch* object) : m_object(object) { m_object->AddRef(); }

ComDispatch::~ComDispatch() { m_object->Release(); }

std::optional<DispId> ComDispatch::id_of_name(std::string_view name) const {
    std::wstring wide = to_wide(name);
    LPOLESTR names[1] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) < 0) return std::nullopt;
    return static_cast<DispId>(id);
}

Variant ComDispatch::invoke(DispId id, InvokeKind kind, Arguments& args) {
    const bool put = kind == InvokeKind::property_put || kind == InvokeKind::property_putref;
    const std::size_t count = args.size();
    VariantStore values(count);
    std::vector<VARIANTARG> passed(count);
    for (std::size_t i = 0; i < count; ++i) to_com(args[i], values[i]);
    // DISPPARAMS want the last argument first. A put's value goes by value as the named
    // DISPID_PROPERTYPUT argument; everything else by reference, as the client's runtime passes it.
    for (std::size_t i = 0; i < count; ++i) {
        VARIANTARG& slot = passed[count - 1 - i];
        if (put && i + 1 == count)
            slot = values[i];
        else
            slot = by_reference(values[i]);
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{passed.data(), put ? &named : nullptr, static_cast<UINT>(count), put ? 1u : 0u};
    WORD flags = DISPATCH_PROPERTYGET;
    switch (kind) {
        case InvokeKind::method: flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET; break;
        case InvokeKind::property_get: flags = DISPATCH_PROPERTYGET; break;
        case InvokeKind::property_put: flags = DISPATCH_PROPERTYPUT; break;
        case InvokeKind::property_putref: flags = DISPATCH_PROPERTYPUTREF; break;
    }
    VariantStore result(1);
    EXCEPINFO excep_info{};
    UINT arg_error = 0;
    HRESULT hr = m_object->Invoke(static_cast<DISPID>(id), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result[0],
                                  &excep_info, &arg_error);
    if (hr < 0) raise_from_hresult(hr, hr == DISP_E_EXCEPTION ? &excep_info : nullptr, "late call");
    const std::size_t written = put ? count - 1 : count;
    for (std::size_t i = 0; i < written; ++i) {
        // The same object coming back keeps its reference, so identity survives the call.
        if (values[i].vt == VT_DISPATCH && args[i].type() == VariantType::object) {
            auto* before = dynamic_cast<ComDispatch*>(args[i].to_object().get());
            if (before && before->object() == values[i].pdispVal) continue;
        }
        args[i] = from_com(values[i]);
    }
    return from_com(result[0]);
}

}  // namespace tolm::platform::com
