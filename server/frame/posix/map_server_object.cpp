#include "server/frame/posix/map_server_object.h"

#include "platform/runtime_error.h"

namespace tolm::com {

MapServerObject::MapServerObject() { ModuleCounts::object_created(); }

MapServerObject::~MapServerObject() { ModuleCounts::object_destroyed(); }

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
    HRESULT hr = guarded([&] {
        Variant value = m_server.invoke(id, static_cast<InvokeKind>(flags), arguments);
        if (result) *result = std::move(value);
    });
    if (failed(hr)) {
        if (excep_info) *excep_info = m_last_error;
        return DISP_E_EXCEPTION;
    }
    return hr;
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

HRESULT MapServerObject::guarded(const std::function<void()>& call) noexcept {
    try {
        call();
        m_last_error = {};
        return S_OK;
    } catch (const RuntimeError& error) {
        m_last_error = {error.number(), error.source(), error.description()};
    } catch (const std::bad_alloc&) {
        m_last_error = {7, server::k_error_source, "Out of memory"};
    } catch (const std::exception& error) {
        m_last_error = {runtime_errors::object_error_base + 1001, server::k_error_source, error.what()};
    } catch (...) {
        m_last_error = {runtime_errors::object_error_base + 1001, server::k_error_source, "Unexpected failure"};
    }
    try {
        return hresult_from_error_number(m_last_error.number);
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT MapServerObject::put_strOvlFile(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strOvlFile, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_strUnderFile(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strUnderFile, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::get_strOvlFile(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strOvlFile, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::get_strUnderFile(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strUnderFile, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::get_varMapBackColor(Variant* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::varMapBackColor, InvokeKind::property_get, args);
        *result = value;
    });
}

HRESULT MapServerObject::get_varSeaColor(Variant* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::varSeaColor, InvokeKind::property_get, args);
        *result = value;
    });
}

HRESULT MapServerObject::AddToFavouriteViews(std::string* strL) {
    if (!strL) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*strL)};
        m_server.invoke(server::dispid::AddToFavouriteViews, InvokeKind::method, args);
        *strL = args[0].to_string();
    });
}

HRESULT MapServerObject::SafeCall() {
    return guarded([&] {
        Arguments args{};
        m_server.invoke(server::dispid::SafeCall, InvokeKind::method, args);
    });
}

HRESULT MapServerObject::SaveFavouriteViews(StringArray* strL) {
    if (!strL) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*strL)};
        m_server.invoke(server::dispid::SaveFavouriteViews, InvokeKind::method, args);
        *strL = args[0].is_empty() ? StringArray{} : args[0].as_string_array();
    });
}

HRESULT MapServerObject::LoadFavouriteViews(StringArray* strFav) {
    if (!strFav) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*strFav)};
        m_server.invoke(server::dispid::LoadFavouriteViews, InvokeKind::method, args);
        *strFav = args[0].is_empty() ? StringArray{} : args[0].as_string_array();
    });
}

HRESULT MapServerObject::get_blnControlOk(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnControlOk, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::put_blnShadeMcd(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnShadeMcd, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_blnShadeCounties(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnShadeCounties, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::get_blnShadeCounties(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnShadeCounties, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::get_blnShadeMcd(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnShadeMcd, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::get_blnShadePlaces(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnShadePlaces, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::get_blnShadeStates(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnShadeStates, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::get_blnWhiteBackground(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnWhiteBackground, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::put_blnWhiteBackground(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnWhiteBackground, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_blnShadePlaces(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnShadePlaces, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_blnShadeStates(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnShadeStates, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::Initialize(std::string* strCallsign, ObjectRef* cMapServerEvents, ObjectRef* frmT) {
    if (!strCallsign || !cMapServerEvents || !frmT) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*strCallsign), Variant(*cMapServerEvents), Variant(*frmT)};
        m_server.invoke(server::dispid::Initialize, InvokeKind::method, args);
        *strCallsign = args[0].to_string();
        *cMapServerEvents = args[1].is_empty() ? nullptr : args[1].to_object();
        *frmT = args[2].is_empty() ? nullptr : args[2].to_object();
    });
}

HRESULT MapServerObject::DrawMapFromCorners(ObjectRef* picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, std::int16_t* result) {
    if (!picMap || !dblDegX1 || !dblDegY1 || !dblDegX2 || !dblDegY2 || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap), Variant(*dblDegX1), Variant(*dblDegY1), Variant(*dblDegX2), Variant(*dblDegY2)};
        Variant value = m_server.invoke(server::dispid::DrawMapFromCorners, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *dblDegX1 = args[1].to_double();
        *dblDegY1 = args[2].to_double();
        *dblDegX2 = args[3].to_double();
        *dblDegY2 = args[4].to_double();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::put_blnMono(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnMono, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_blnOnewayShow(std::int16_t* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*value != 0)};
        m_server.invoke(server::dispid::blnOnewayShow, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::get_blnMono(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnMono, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::get_blnOnewayShow(std::int16_t* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::blnOnewayShow, InvokeKind::property_get, args);
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::ResizeMap(ObjectRef* picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, std::int16_t* result) {
    if (!picMap || !dblDegX1 || !dblDegY1 || !dblDegX2 || !dblDegY2 || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap), Variant(*dblDegX1), Variant(*dblDegY1), Variant(*dblDegX2), Variant(*dblDegY2)};
        Variant value = m_server.invoke(server::dispid::ResizeMap, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *dblDegX1 = args[1].to_double();
        *dblDegY1 = args[2].to_double();
        *dblDegX2 = args[3].to_double();
        *dblDegY2 = args[4].to_double();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::DrawMapFromCentre(ObjectRef* picMap, double* dblDegX, double* dblDegY, std::int16_t* result) {
    if (!picMap || !dblDegX || !dblDegY || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap), Variant(*dblDegX), Variant(*dblDegY)};
        Variant value = m_server.invoke(server::dispid::DrawMapFromCentre, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *dblDegX = args[1].to_double();
        *dblDegY = args[2].to_double();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::GetSupportedFeatures(std::int16_t* blnDiagonalPan, std::int16_t* blnZoomIn, std::int16_t* blnZoomOut, std::int16_t* blnZoomAll, std::int16_t* blnControlPanel, std::string* strHelpFile, std::int32_t* lngHelpTopic, std::string* strServerShortName, StringArray* strSpecialOptionMenuCaption) {
    if (!blnDiagonalPan || !blnZoomIn || !blnZoomOut || !blnZoomAll || !blnControlPanel || !strHelpFile || !lngHelpTopic || !strServerShortName || !strSpecialOptionMenuCaption) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant::boolean(*blnDiagonalPan != 0), Variant::boolean(*blnZoomIn != 0), Variant::boolean(*blnZoomOut != 0), Variant::boolean(*blnZoomAll != 0), Variant::boolean(*blnControlPanel != 0), Variant(*strHelpFile), Variant(*lngHelpTopic), Variant(*strServerShortName), Variant(*strSpecialOptionMenuCaption)};
        m_server.invoke(server::dispid::GetSupportedFeatures, InvokeKind::method, args);
        *blnDiagonalPan = Variant::bool_to_int(args[0].to_bool());
        *blnZoomIn = Variant::bool_to_int(args[1].to_bool());
        *blnZoomOut = Variant::bool_to_int(args[2].to_bool());
        *blnZoomAll = Variant::bool_to_int(args[3].to_bool());
        *blnControlPanel = Variant::bool_to_int(args[4].to_bool());
        *strHelpFile = args[5].to_string();
        *lngHelpTopic = args[6].to_int32();
        *strServerShortName = args[7].to_string();
        *strSpecialOptionMenuCaption = args[8].is_empty() ? StringArray{} : args[8].as_string_array();
    });
}

HRESULT MapServerObject::ShowControlPanel() {
    return guarded([&] {
        Arguments args{};
        m_server.invoke(server::dispid::ShowControlPanel, InvokeKind::method, args);
    });
}

HRESULT MapServerObject::put_strData1(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strData1, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_strData3(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strData3, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::get_strData1(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strData1, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::get_strData2(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strData2, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::get_strData3(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strData3, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::get_strStates0(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strStates0, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::get_strStates1(std::string* result) {
    if (!result) return E_POINTER;
    return guarded([&] {
        Arguments args{};
        Variant value = m_server.invoke(server::dispid::strStates1, InvokeKind::property_get, args);
        *result = value.to_string();
    });
}

HRESULT MapServerObject::put_strData2(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strData2, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_strStates0(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strStates0, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::put_strStates1(std::string* value) {
    if (!value) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*value)};
        m_server.invoke(server::dispid::strStates1, InvokeKind::property_put, args);
    });
}

HRESULT MapServerObject::ZoomIn(ObjectRef* picMap, std::int16_t* result) {
    if (!picMap || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap)};
        Variant value = m_server.invoke(server::dispid::ZoomIn, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::SpecialMenuOption(ObjectRef* picMap, std::int16_t* intIndex, std::int16_t* result) {
    if (!picMap || !intIndex || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap), Variant(*intIndex)};
        Variant value = m_server.invoke(server::dispid::SpecialMenuOption, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *intIndex = args[1].to_int16();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::ZoomAll(ObjectRef* picMap, std::int16_t* result) {
    if (!picMap || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap)};
        Variant value = m_server.invoke(server::dispid::ZoomAll, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::ZoomPan(ObjectRef* picMap, std::int16_t* intPan, std::int16_t* result) {
    if (!picMap || !intPan || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap), Variant(*intPan)};
        Variant value = m_server.invoke(server::dispid::ZoomPan, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *intPan = args[1].to_int16();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

HRESULT MapServerObject::ZoomOut(ObjectRef* picMap, std::int16_t* result) {
    if (!picMap || !result) return E_POINTER;
    return guarded([&] {
        Arguments args{Variant(*picMap)};
        Variant value = m_server.invoke(server::dispid::ZoomOut, InvokeKind::method, args);
        *picMap = args[0].is_empty() ? nullptr : args[0].to_object();
        *result = Variant::bool_to_int(value.to_bool());
    });
}

}  // namespace tolm::com
