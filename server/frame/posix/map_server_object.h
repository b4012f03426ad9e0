#pragma once

#include "server/clsMapServ.h"
#include "server/frame/posix/com_abi.h"

#include <atomic>
#include <functional>

namespace tolm::com {

// Counts of live objects and factory locks: DllCanUnloadNow answers S_OK only when both are zero.
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

// One server object as the client holds it: the vtable and IDispatch faces over one clsMapServ.
class MapServerObject final : public I_clsMapServ, public IErrorInfo {
public:
    MapServerObject();
    MapServerObject(const MapServerObject&) = delete;
    MapServerObject& operator=(const MapServerObject&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, void** type_info) override;
    HRESULT GetIDsOfNames(const Guid& reserved, const std::string* names, std::uint32_t count,
                          std::uint32_t locale, DispId* ids) override;
    HRESULT Invoke(DispId id, const Guid& reserved, std::uint32_t locale, std::uint16_t flags, Arguments* args,
                   Variant* result, ExcepInfo* excep_info, std::uint32_t* arg_error) override;

    HRESULT GetSource(std::string* source) override;
    HRESULT GetDescription(std::string* description) override;

    HRESULT put_strOvlFile(std::string* value) override;
    HRESULT put_strUnderFile(std::string* value) override;
    HRESULT get_strOvlFile(std::string* result) override;
    HRESULT get_strUnderFile(std::string* result) override;
    HRESULT get_varMapBackColor(Variant* result) override;
    HRESULT get_varSeaColor(Variant* result) override;
    HRESULT AddToFavouriteViews(std::string* strL) override;
    HRESULT SafeCall() override;
    HRESULT SaveFavouriteViews(StringArray* strL) override;
    HRESULT LoadFavouriteViews(StringArray* strFav) override;
    HRESULT get_blnControlOk(std::int16_t* result) override;
    HRESULT put_blnShadeMcd(std::int16_t* value) override;
    HRESULT put_blnShadeCounties(std::int16_t* value) override;
    HRESULT get_blnShadeCounties(std::int16_t* result) override;
    HRESULT get_blnShadeMcd(std::int16_t* result) override;
    HRESULT get_blnShadePlaces(std::int16_t* result) override;
    HRESULT get_blnShadeStates(std::int16_t* result) override;
    HRESULT get_blnWhiteBackground(std::int16_t* result) override;
    HRESULT put_blnWhiteBackground(std::int16_t* value) override;
    HRESULT put_blnShadePlaces(std::int16_t* value) override;
    HRESULT put_blnShadeStates(std::int16_t* value) override;
    HRESULT Initialize(std::string* strCallsign, ObjectRef* cMapServerEvents, ObjectRef* frmT) override;
    HRESULT DrawMapFromCorners(ObjectRef* picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, std::int16_t* result) override;
    HRESULT put_blnMono(std::int16_t* value) override;
    HRESULT put_blnOnewayShow(std::int16_t* value) override;
    HRESULT get_blnMono(std::int16_t* result) override;
    HRESULT get_blnOnewayShow(std::int16_t* result) override;
    HRESULT ResizeMap(ObjectRef* picMap, double* dblDegX1, double* dblDegY1, double* dblDegX2, double* dblDegY2, std::int16_t* result) override;
    HRESULT DrawMapFromCentre(ObjectRef* picMap, double* dblDegX, double* dblDegY, std::int16_t* result) override;
    HRESULT GetSupportedFeatures(std::int16_t* blnDiagonalPan, std::int16_t* blnZoomIn, std::int16_t* blnZoomOut, std::int16_t* blnZoomAll, std::int16_t* blnControlPanel, std::string* strHelpFile, std::int32_t* lngHelpTopic, std::string* strServerShortName, StringArray* strSpecialOptionMenuCaption) override;
    HRESULT ShowControlPanel() override;
    HRESULT put_strData1(std::string* value) override;
    HRESULT put_strData3(std::string* value) override;
    HRESULT get_strData1(std::string* result) override;
    HRESULT get_strData2(std::string* result) override;
    HRESULT get_strData3(std::string* result) override;
    HRESULT get_strStates0(std::string* result) override;
    HRESULT get_strStates1(std::string* result) override;
    HRESULT put_strData2(std::string* value) override;
    HRESULT put_strStates0(std::string* value) override;
    HRESULT put_strStates1(std::string* value) override;
    HRESULT ZoomIn(ObjectRef* picMap, std::int16_t* result) override;
    HRESULT SpecialMenuOption(ObjectRef* picMap, std::int16_t* intIndex, std::int16_t* result) override;
    HRESULT ZoomAll(ObjectRef* picMap, std::int16_t* result) override;
    HRESULT ZoomPan(ObjectRef* picMap, std::int16_t* intPan, std::int16_t* result) override;
    HRESULT ZoomOut(ObjectRef* picMap, std::int16_t* result) override;
private:
    ~MapServerObject();
    // Runs one member call: no exception ever leaves it; a RuntimeError becomes a failed HRESULT
    // whose source and text the caller reads through IErrorInfo.
    HRESULT guarded(const std::function<void()>& call) noexcept;

    std::atomic<ULONG> m_references{1};
    server::clsMapServ m_server;
    ExcepInfo m_last_error;
};

}  // namespace tolm::com
