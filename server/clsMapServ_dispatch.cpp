// Routes dispatch ids to the members of clsMapServ. Arguments arrive as Variants in their natural
// order; each is coerced to the member's parameter type and, being by reference, written back after
// the call so the caller sees what the member changed.
#include "server/clsMapServ.h"
#include "server/member_table.h"

#include "platform/runtime_error.h"

#include <cstdlib>
#include <new>
#include <string_view>
#include <system_error>

namespace tolm::server {

namespace {

MemberKind member_kind_of(InvokeKind kind, DispId id) {
    switch (kind) {
        case InvokeKind::property_put:
        case InvokeKind::property_putref: return MemberKind::let;
        case InvokeKind::property_get: return find_member(id, MemberKind::get) ? MemberKind::get : MemberKind::method;
        case InvokeKind::method:
        default:  // late-binding callers may ask for method|get together
            return find_member(id, MemberKind::method) ? MemberKind::method : MemberKind::get;
    }
}

struct ByRef {
    Arguments& args;
    std::size_t index;

    bool as_bool() const { return args[index].to_bool(); }
    std::int16_t as_int16() const { return args[index].to_int16(); }
    double as_double() const { return args[index].to_double(); }
    std::string as_string() const { return args[index].to_string(); }
    ObjectRef as_object() const {
        // Nothing passed as an object is a null reference, not a type mismatch.
        if (args[index].is_empty()) return nullptr;
        return args[index].to_object();
    }
    StringArray as_string_array() const {
        if (args[index].is_empty()) return StringArray{};
        return args[index].as_string_array();
    }
};

// The test hook of the frames' catch ladder: with TOLM_TEST_MEMBER_FAULT set to bad_alloc,
// system_error or runtime_error, every member call throws that before it does anything, so that the
// frames' tests show each kind of failure reaching the client as a failed call with a text.
void raise_test_fault() {
    const char* fault = std::getenv("TOLM_TEST_MEMBER_FAULT");
    if (!fault || !*fault) return;
    const std::string_view kind(fault);
    if (kind == "bad_alloc") throw std::bad_alloc();
    if (kind == "system_error") throw std::system_error(std::make_error_code(std::errc::no_space_on_device), "test fault");
    if (kind == "runtime_error") raise_runtime_error(runtime_errors::invalid_procedure_call, k_error_source);
}

}  // namespace

std::optional<DispId> clsMapServ::id_of_name(std::string_view name) const { return find_dispid(name); }

Variant clsMapServ::invoke(DispId id, InvokeKind kind, Arguments& args) {
    raise_test_fault();
    const MemberKind member_kind = member_kind_of(kind, id);
    const MemberInfo* member = find_member(id, member_kind);
    if (!member) raise_runtime_error(runtime_errors::object_does_not_support_member, k_error_source);
    if (args.size() != member->param_count)
        raise_runtime_error(runtime_errors::wrong_number_of_arguments, k_error_source);

    auto arg = [&](std::size_t i) { return ByRef{args, i}; };
    auto boolean = [](bool b) { return Variant::boolean(b); };
    namespace d = dispid;

    if (member_kind == MemberKind::let) {
        const ByRef value = arg(0);
        switch (id) {
            case d::strOvlFile: strOvlFile(value.as_string()); break;
            case d::strUnderFile: strUnderFile(value.as_string()); break;
            case d::blnShadeMcd: blnShadeMcd(value.as_bool()); break;
            case d::blnShadeCounties: blnShadeCounties(value.as_bool()); break;
            case d::blnShadePlaces: blnShadePlaces(value.as_bool()); break;
            case d::blnShadeStates: blnShadeStates(value.as_bool()); break;
            case d::blnWhiteBackground: blnWhiteBackground(value.as_bool()); break;
            case d::blnMono: blnMono(value.as_bool()); break;
            case d::blnOnewayShow: blnOnewayShow(value.as_bool()); break;
            case d::strData1: strData1(value.as_string()); break;
            case d::strData2: strData2(value.as_string()); break;
            case d::strData3: strData3(value.as_string()); break;
            case d::strStates0: strStates0(value.as_string()); break;
            case d::strStates1: strStates1(value.as_string()); break;
            default: raise_runtime_error(runtime_errors::object_does_not_support_member, k_error_source);
        }
        return {};
    }

    if (member_kind == MemberKind::get) {
        switch (id) {
            case d::strOvlFile: return strOvlFile();
            case d::strUnderFile: return strUnderFile();
            case d::varMapBackColor: return varMapBackColor();
            case d::varSeaColor: return varSeaColor();
            case d::blnControlOk: return boolean(blnControlOk());
            case d::blnShadeMcd: return boolean(blnShadeMcd());
            case d::blnShadeCounties: return boolean(blnShadeCounties());
            case d::blnShadePlaces: return boolean(blnShadePlaces());
            case d::blnShadeStates: return boolean(blnShadeStates());
            case d::blnWhiteBackground: return boolean(blnWhiteBackground());
            case d::blnMono: return boolean(blnMono());
            case d::blnOnewayShow: return boolean(blnOnewayShow());
            case d::strData1: return strData1();
            case d::strData2: return strData2();
            case d::strData3: return strData3();
            case d::strStates0: return strStates0();
            case d::strStates1: return strStates1();
            default: raise_runtime_error(runtime_errors::object_does_not_support_member, k_error_source);
        }
    }

    switch (id) {
        case d::SafeCall: SafeCall(); return {};
        case d::AddToFavouriteViews: {
            std::string text = arg(0).as_string();
            AddToFavouriteViews(text);
            args[0] = text;
            return {};
        }
        case d::SaveFavouriteViews: {
            StringArray list = arg(0).as_string_array();
            SaveFavouriteViews(list);
            args[0] = std::move(list);
            return {};
        }
        case d::LoadFavouriteViews: {
            StringArray list = arg(0).as_string_array();
            LoadFavouriteViews(list);
            args[0] = std::move(list);
            return {};
        }
        case d::Initialize: {
            std::string callsign = arg(0).as_string();
            ObjectRef events = arg(1).as_object();
            ObjectRef form = arg(2).as_object();
            Initialize(callsign, events, form);
            args[0] = callsign;
            return {};
        }
        case d::DrawMapFromCorners:
        case d::ResizeMap: {
            ObjectRef picture = arg(0).as_object();
            double x1 = arg(1).as_double(), y1 = arg(2).as_double(), x2 = arg(3).as_double(), y2 = arg(4).as_double();
            bool result = id == d::DrawMapFromCorners ? DrawMapFromCorners(picture, x1, y1, x2, y2)
                                                      : ResizeMap(picture, x1, y1, x2, y2);
            args[1] = x1, args[2] = y1, args[3] = x2, args[4] = y2;
            return boolean(result);
        }
        case d::DrawMapFromCentre: {
            ObjectRef picture = arg(0).as_object();
            double x = arg(1).as_double(), y = arg(2).as_double();
            bool result = DrawMapFromCentre(picture, x, y);
            args[1] = x, args[2] = y;
            return boolean(result);
        }
        case d::GetSupportedFeatures: {
            bool diagonal = false, zoom_in = false, zoom_out = false, zoom_all = false, control_panel = false;
            std::string help_file, short_name;
            std::int32_t help_topic = 0;
            StringArray captions = arg(8).as_string_array();
            GetSupportedFeatures(diagonal, zoom_in, zoom_out, zoom_all, control_panel, help_file, help_topic,
                                 short_name, captions);
            args[0] = boolean(diagonal), args[1] = boolean(zoom_in), args[2] = boolean(zoom_out);
            args[3] = boolean(zoom_all), args[4] = boolean(control_panel), args[5] = help_file;
            args[6] = help_topic, args[7] = short_name, args[8] = std::move(captions);
            return {};
        }
        case d::ShowControlPanel: ShowControlPanel(); return {};
        case d::ZoomIn:
        case d::ZoomAll:
        case d::ZoomOut: {
            ObjectRef picture = arg(0).as_object();
            bool result = id == d::ZoomIn ? ZoomIn(picture) : id == d::ZoomOut ? ZoomOut(picture) : ZoomAll(picture);
            return boolean(result);
        }
        case d::SpecialMenuOption:
        case d::ZoomPan: {
            ObjectRef picture = arg(0).as_object();
            std::int16_t index = arg(1).as_int16();
            bool result = id == d::SpecialMenuOption ? SpecialMenuOption(picture, index) : ZoomPan(picture, index);
            args[1] = index;
            return boolean(result);
        }
        default: raise_runtime_error(runtime_errors::object_does_not_support_member, k_error_source);
    }
}

}  // namespace tolm::server
