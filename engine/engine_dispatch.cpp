#include "engine/engine_dispatch.h"

#include "engine/engine_ids.h"
#include "platform/runtime_error.h"
#include "platform/text.h"
#include "ui/current_window_system.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tolm::engine {

namespace {

constexpr const char* k_source = "tolm.engine";

struct NamedId {
    const char* name;
    DispId id;
};

constexpr NamedId k_names[] = {
    {"DataFolder1", ids::DATA_FOLDER_1}, {"DataFolder2", ids::DATA_FOLDER_2}, {"DataFolder3", ids::DATA_FOLDER_3},
    {"StatesFolder", ids::STATES_FOLDER}, {"SupplementaryStatesFolder", ids::SUPPLEMENTARY_STATES_FOLDER},
    {"ShadeMcd", ids::SHADE_MINOR_CIVIL_DIVISIONS}, {"ShadePlaces", ids::SHADE_PLACES}, {"ShadeCounties", ids::SHADE_COUNTIES},
    {"ShadeStates", ids::SHADE_STATES}, {"OnewayArrows", ids::ONEWAY_ARROWS}, {"BackgroundColour", ids::BACKGROUND_COLOUR},
    {"ColourItem", ids::COLOUR_ITEM}, {"SetMapSize", ids::SET_MAP_SIZE}, {"ShowRectangle", ids::SHOW_RECTANGLE},
    {"CentreOn", ids::CENTRE_ON}, {"ZoomLevel", ids::ZOOM_LEVEL}, {"ZoomIn", ids::ZOOM_IN}, {"ZoomOut", ids::ZOOM_OUT},
    {"Pan", ids::PAN}, {"ExtentWest", ids::EXTENT_WEST}, {"ExtentEast", ids::EXTENT_EAST}, {"ExtentSouth", ids::EXTENT_SOUTH},
    {"ExtentNorth", ids::EXTENT_NORTH}, {"Paint", ids::PAINT}, {"Refresh", ids::REFRESH}, {"LoadSettings", ids::LOAD_SETTINGS},
    {"SaveSettings", ids::SAVE_SETTINGS}, {"LoadOverlay", ids::OVERLAY_FILE_LOAD}, {"ZoomToOverlay", ids::ZOOM_TO_OVERLAY},
    {"OverlayShown", ids::OVERLAY_SHOWN}, {"UnderlayShown", ids::UNDERLAY_SHOWN}, {"UnderlayFile", ids::UNDERLAY_FILE},
    {"AddressSearch", ids::ADDRESS_SEARCH}, {"PhoneLookup", ids::PHONE_LOOKUP}, {"FoundItemText", ids::FOUND_ITEM_TEXT},
    {"AnswerText", ids::ANSWER_TEXT}, {"AboutBox", ids::ABOUT_BOX}, {"EdgePanning", ids::EDGE_PANNING},
    {"LabelFontScale", ids::LABEL_FONT_SCALE}, {"Antialias", ids::ANTIALIAS}, {"LabelHalo", ids::LABEL_HALO},
    {"LabelHaloWidth", ids::LABEL_HALO_WIDTH}, {"LabelHaloColour", ids::LABEL_HALO_COLOUR},
    {"BeginSession", ids::BEGIN_SESSION}, {"SettingsApplied", ids::SETTINGS_APPLIED},
    {"ScaleBar", ids::SCALE_BAR}, {"LatLonGrid", ids::LAT_LON_GRID}, {"LocatorGrid", ids::LOCATOR_GRID},
    {"MarkPin", ids::MARK_PIN}, {"MarkRegion", ids::MARK_REGION}, {"MarkMileMarker", ids::MARK_MILE_MARKER},
    {"ClearFoundMark", ids::CLEAR_FOUND_MARK}, {"FoundMarkKind", ids::FOUND_MARK_KIND},
};

// The box of two opposite corners, in either order.
Extent box_of_corners(const Arguments& args, std::size_t first) {
    const double x1 = args[first].to_double(), y1 = args[first + 1].to_double();
    const double x2 = args[first + 2].to_double(), y2 = args[first + 3].to_double();
    return {std::min(x1, x2), std::max(x1, x2), std::min(y1, y2), std::max(y1, y2)};
}

bool is_get(InvokeKind kind) { return kind == InvokeKind::property_get || kind == InvokeKind::method; }

[[noreturn]] void bad_call(const char* what) {
    throw RuntimeError(runtime_errors::invalid_procedure_call, k_source, std::string("Invalid call of the engine member ") + what + ".");
}

// A property with get and put (or let): a get takes no arguments, a put one.
template <typename Get, typename Put>
Variant property(InvokeKind kind, Arguments& args, const char* name, Get get, Put put) {
    if (kind == InvokeKind::property_put && args.size() == 1) {
        put(args[0]);
        return {};
    }
    if (is_get(kind) && args.empty()) return get();
    bad_call(name);
}

}  // namespace

EngineDispatch::EngineDispatch(std::shared_ptr<MapEngine> engine) : m_engine(std::move(engine)) {
    if (!m_engine) throw RuntimeError(runtime_errors::object_variable_not_set, k_source, "No map engine.");
}

std::optional<DispId> EngineDispatch::id_of_name(std::string_view name) const {
    for (const auto& entry : k_names)
        if (equals_ignoring_case(entry.name, name)) return entry.id;
    return std::nullopt;
}

Variant EngineDispatch::invoke(DispId id, InvokeKind kind, Arguments& args) {
    MapEngine& e = *m_engine;
    auto folder = [&](DataFolder which, const char* name) {
        return property(kind, args, name, [&] { return Variant(e.data_folder(which)); },
                        [&](const Variant& v) { e.set_data_folder(which, v.to_string()); });
    };
    auto flag = [&](bool& value, const char* name) {
        return property(kind, args, name, [&] { return Variant::boolean(value); }, [&](const Variant& v) { value = v.to_bool(); });
    };
    auto method = [&](std::size_t count, const char* name) {
        if (kind != InvokeKind::method || args.size() != count) {
            if (kind == InvokeKind::method) require_argument_count(args, count, k_source);
            bad_call(name);
        }
    };
    auto extent_value = [&](double Extent::*edge, const char* name) {
        if (!is_get(kind) || !args.empty()) bad_call(name);
        return Variant(e.view().extent().*edge);
    };
    MapStyle& style = e.style();

    switch (id) {
    case ids::DATA_FOLDER_1: return folder(DataFolder::data1, "DataFolder1");
    case ids::DATA_FOLDER_2: return folder(DataFolder::data2, "DataFolder2");
    case ids::DATA_FOLDER_3: return folder(DataFolder::data3, "DataFolder3");
    case ids::STATES_FOLDER: return folder(DataFolder::states, "StatesFolder");
    case ids::SUPPLEMENTARY_STATES_FOLDER: return folder(DataFolder::supplementary_states, "SupplementaryStatesFolder");
    case ids::SHADE_MINOR_CIVIL_DIVISIONS: return flag(style.shade_minor_civil_divisions, "ShadeMcd");
    case ids::SHADE_PLACES: return flag(style.shade_places, "ShadePlaces");
    case ids::SHADE_COUNTIES: return flag(style.shade_counties, "ShadeCounties");
    case ids::SHADE_STATES: return flag(style.shade_states, "ShadeStates");
    case ids::ONEWAY_ARROWS: return flag(style.oneway_arrows, "OnewayArrows");
    case ids::SCALE_BAR: return flag(style.scale_bar, "ScaleBar");
    case ids::LAT_LON_GRID: return flag(style.lat_lon_grid, "LatLonGrid");
    case ids::LOCATOR_GRID: return flag(style.locator_grid, "LocatorGrid");
    case ids::ANTIALIAS: return flag(style.antialias, "Antialias");
    case ids::LABEL_HALO: return flag(style.label_halo, "LabelHalo");
    case ids::EDGE_PANNING: return flag(e.edge_panning, "EdgePanning");
    case ids::OVERLAY_SHOWN:
        return property(kind, args, "OverlayShown", [&] { return Variant::boolean(e.overlay_shown()); },
                        [&](const Variant& v) { e.set_overlay_shown(v.to_bool()); });
    case ids::UNDERLAY_SHOWN:
        return property(kind, args, "UnderlayShown", [&] { return Variant::boolean(e.underlay_shown()); },
                        [&](const Variant& v) { e.set_underlay_shown(v.to_bool()); });
    case ids::UNDERLAY_FILE:
        return property(kind, args, "UnderlayFile", [&] { return Variant(e.underlay_file()); },
                        [&](const Variant& v) { e.set_underlay_file(v.to_string()); });
    case ids::BACKGROUND_COLOUR:
        return property(kind, args, "BackgroundColour", [&] { return Variant(e.background_colour()); },
                        [&](const Variant& v) { e.set_background_colour(v.to_int32()); });
    case ids::LABEL_HALO_WIDTH:
        return property(kind, args, "LabelHaloWidth", [&] { return Variant(style.label_halo_width); },
                        [&](const Variant& v) { style.label_halo_width = v.to_int32(); });
    case ids::LABEL_HALO_COLOUR:
        return property(kind, args, "LabelHaloColour", [&] { return Variant(style.label_halo_colour); },
                        [&](const Variant& v) { style.label_halo_colour = v.to_int32(); });
    case ids::LABEL_FONT_SCALE:
        return property(kind, args, "LabelFontScale", [&] { return Variant(style.label_font_scale); },
                        [&](const Variant& v) { style.label_font_scale = v.to_int32(); });
    case ids::COLOUR_ITEM:
        // (item, value) sets an item; (0, item) reads one.
        if (args.size() == 2 && (kind == InvokeKind::method || kind == InvokeKind::property_get)) {
            if (args[0].to_int32() == 0) return Variant(e.colour_item(args[1].to_int32()));
            e.set_colour_item(args[0].to_int32(), args[1].to_int32());
            return {};
        }
        if (kind == InvokeKind::property_put && args.size() == 2) {
            e.set_colour_item(args[0].to_int32(), args[1].to_int32());
            return {};
        }
        bad_call("ColourItem");
    case ids::SET_MAP_SIZE:
        method(2, "SetMapSize");
        e.view().set_size(args[0].to_int32(), args[1].to_int32());
        return {};
    case ids::SHOW_RECTANGLE:
        method(4, "ShowRectangle");
        e.view().show_rectangle(args[0].to_double(), args[1].to_double(), args[2].to_double(), args[3].to_double());
        return {};
    case ids::CENTRE_ON:
        method(2, "CentreOn");
        e.view().centre_on(args[0].to_double(), args[1].to_double());
        return {};
    case ids::ZOOM_LEVEL:
        return property(kind, args, "ZoomLevel", [&] { return Variant(static_cast<std::int32_t>(std::lround(e.view().zoom()))); },
                        [&](const Variant& v) { e.view().set_zoom(v.to_int32()); });
    case ids::ZOOM_IN: method(0, "ZoomIn"); e.view().zoom_in(); return {};
    case ids::ZOOM_OUT: method(0, "ZoomOut"); e.view().zoom_out(); return {};
    case ids::PAN: method(1, "Pan"); e.view().pan(args[0].to_int32()); return {};
    case ids::EXTENT_WEST: return extent_value(&Extent::west, "ExtentWest");
    case ids::EXTENT_EAST: return extent_value(&Extent::east, "ExtentEast");
    case ids::EXTENT_SOUTH: return extent_value(&Extent::south, "ExtentSouth");
    case ids::EXTENT_NORTH: return extent_value(&Extent::north, "ExtentNorth");
    case ids::PAINT:
        // device context, left, top, width, height, two flags the server passes as False, monochrome
        method(8, "Paint");
        e.paint(static_cast<std::intptr_t>(args[0].to_int32()), args[1].to_int32(), args[2].to_int32(), args[3].to_int32(),
                args[4].to_int32(), args[7].to_bool());
        return {};
    case ids::REFRESH: method(0, "Refresh"); e.refresh(); return {};
    case ids::LOAD_SETTINGS: method(1, "LoadSettings"); e.load_settings(args[0].to_string()); return {};
    case ids::SAVE_SETTINGS: method(1, "SaveSettings"); e.save_settings(args[0].to_string()); return {};
    case ids::OVERLAY_FILE_LOAD: method(1, "LoadOverlay"); e.load_overlay(args[0].to_string()); return {};
    case ids::ZOOM_TO_OVERLAY: method(0, "ZoomToOverlay"); e.zoom_to_overlay(); return {};
    case ids::ADDRESS_SEARCH: method(1, "AddressSearch"); return Variant(e.address_search(args[0].to_string()));
    case ids::PHONE_LOOKUP: method(1, "PhoneLookup"); e.phone_lookup(args[0].to_string()); return {};
    case ids::FOUND_ITEM_TEXT:
        if (!is_get(kind) || !args.empty()) bad_call("FoundItemText");
        return Variant(e.found_item_text());
    case ids::ANSWER_TEXT:
        if (!is_get(kind) || !args.empty()) bad_call("AnswerText");
        return Variant(e.answer_text());
    case ids::ABOUT_BOX:
        method(0, "AboutBox");
        if (m_about) {
            m_about(e.about_text());
        } else {
            platform::window_system().message_box({0, e.about_text(), "About the map engine", platform::message_box_style::information});
        }
        return {};
    case ids::MARK_PIN: {
        method(2, "MarkPin");
        FoundMark mark;
        mark.kind = FoundMarkKind::pin;
        mark.point = {args[0].to_double(), args[1].to_double()};
        e.set_found_mark(std::move(mark));
        return {};
    }
    case ids::MARK_REGION: {
        method(7, "MarkRegion");
        const std::int32_t region = args[0].to_int32();
        if (region != 0 && region != 1) bad_call("MarkRegion");
        FoundMark mark;
        mark.kind = region == 0 ? FoundMarkKind::state : FoundMarkKind::county;
        mark.name = args[1].to_string();
        mark.state_code = args[2].to_string();
        mark.box = box_of_corners(args, 3);
        e.set_found_mark(std::move(mark));
        return {};
    }
    case ids::MARK_MILE_MARKER: {
        method(8, "MarkMileMarker");
        FoundMark mark;
        mark.kind = FoundMarkKind::mile_marker;
        mark.state_code = args[0].to_string();
        mark.road = args[1].to_string();
        mark.line = args[2].to_double();
        mark.line_is_latitude = args[3].to_bool();
        mark.box = box_of_corners(args, 4);
        e.set_found_mark(std::move(mark));
        return {};
    }
    case ids::CLEAR_FOUND_MARK: method(0, "ClearFoundMark"); e.clear_found_mark(); return {};
    case ids::FOUND_MARK_KIND:
        if (!is_get(kind) || !args.empty()) bad_call("FoundMarkKind");
        return Variant(static_cast<std::int32_t>(e.found_mark().kind));
    case ids::BEGIN_SESSION:
    case ids::SETTINGS_APPLIED:
        // Start-up signals of the server: this engine has nothing to prepare or release for them.
        method(0, id == ids::BEGIN_SESSION ? "BeginSession" : "SettingsApplied");
        return {};
    default:
        raise_runtime_error(runtime_errors::object_does_not_support_member, k_source);
    }
}

}  // namespace tolm::engine
