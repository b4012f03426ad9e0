#include "server/engine_control.h"

#include "engine/engine_ids.h"
#include "platform/runtime_error.h"

#include <utility>

namespace tolm::server {

namespace {

namespace ids = engine::ids;

// Errors of a missing control come from the server, as the client sees them.
const char* const k_source = "TolmServer7";

DispId folder_id(EngineControl::Folder which) {
    switch (which) {
        case EngineControl::Folder::data1: return ids::DATA_FOLDER_1;
        case EngineControl::Folder::data2: return ids::DATA_FOLDER_2;
        case EngineControl::Folder::data3: return ids::DATA_FOLDER_3;
        case EngineControl::Folder::states: return ids::STATES_FOLDER;
        case EngineControl::Folder::supplementary_states: return ids::SUPPLEMENTARY_STATES_FOLDER;
    }
    raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
}

DispId shading_id(EngineControl::Shading which) {
    switch (which) {
        case EngineControl::Shading::minor_civil_divisions: return ids::SHADE_MINOR_CIVIL_DIVISIONS;
        case EngineControl::Shading::places: return ids::SHADE_PLACES;
        case EngineControl::Shading::counties: return ids::SHADE_COUNTIES;
        case EngineControl::Shading::states: return ids::SHADE_STATES;
    }
    raise_runtime_error(runtime_errors::invalid_procedure_call, k_source);
}

// The colour item function reads an item when its first argument is 0.
constexpr std::int32_t k_read_colour_item = 0;

}  // namespace

EngineControl::EngineControl(ObjectRef control) : m_control(std::move(control)) {}

Variant EngineControl::invoke(DispId id, InvokeKind kind, Arguments& args) const {
    if (!m_control) raise_runtime_error(runtime_errors::object_variable_not_set, k_source);
    return m_control->invoke(id, kind, args);
}

Variant EngineControl::get(DispId id) const {
    Arguments none;
    return invoke(id, InvokeKind::property_get, none);
}

void EngineControl::put(DispId id, Variant value) {
    Arguments args{std::move(value)};
    invoke(id, InvokeKind::property_put, args);
}

Variant EngineControl::call(DispId id, Arguments args) { return invoke(id, InvokeKind::method, args); }

std::string EngineControl::folder(Folder which) const { return get(folder_id(which)).to_string(); }
void EngineControl::set_folder(Folder which, const std::string& path) { put(folder_id(which), Variant(path)); }

bool EngineControl::shading(Shading which) const { return get(shading_id(which)).to_bool(); }
void EngineControl::set_shading(Shading which, bool shown) { put(shading_id(which), Variant::boolean(shown)); }
bool EngineControl::oneway_arrows() const { return get(ids::ONEWAY_ARROWS).to_bool(); }
void EngineControl::set_oneway_arrows(bool shown) { put(ids::ONEWAY_ARROWS, Variant::boolean(shown)); }

namespace {
std::int32_t map_aid_id(EngineControl::MapAid which) {
    switch (which) {
    case EngineControl::MapAid::scale_bar: return ids::SCALE_BAR;
    case EngineControl::MapAid::lat_lon_grid: return ids::LAT_LON_GRID;
    case EngineControl::MapAid::locator_grid: break;
    }
    return ids::LOCATOR_GRID;
}
}  // namespace

bool EngineControl::map_aid(MapAid which) const { return get(map_aid_id(which)).to_bool(); }
void EngineControl::set_map_aid(MapAid which, bool shown) { put(map_aid_id(which), Variant::boolean(shown)); }

std::int32_t EngineControl::background_colour() const { return get(ids::BACKGROUND_COLOUR).to_int32(); }
void EngineControl::set_background_colour(std::int32_t colour) { put(ids::BACKGROUND_COLOUR, Variant(colour)); }

std::int32_t EngineControl::map_background_colour() const {
    Arguments args{Variant(k_read_colour_item), Variant(ids::COLOUR_LAND)};
    return invoke(ids::COLOUR_ITEM, InvokeKind::property_get, args).to_int32();
}

void EngineControl::set_water_colour(std::int32_t colour) { set_colour_item(ids::COLOUR_WATER, colour); }

void EngineControl::set_colour_item(std::int32_t item, std::int32_t colour) {
    call(ids::COLOUR_ITEM, {Variant(item), Variant(colour)});
}

void EngineControl::set_map_size(std::int32_t width, std::int32_t height) {
    call(ids::SET_MAP_SIZE, {Variant(width), Variant(height)});
}

void EngineControl::show_rectangle(double x1, double y1, double x2, double y2) {
    call(ids::SHOW_RECTANGLE, {Variant(x1), Variant(y1), Variant(x2), Variant(y2)});
}

void EngineControl::centre_on(double x, double y) { call(ids::CENTRE_ON, {Variant(x), Variant(y)}); }
void EngineControl::set_zoom_level(std::int32_t level) { put(ids::ZOOM_LEVEL, Variant(level)); }
void EngineControl::zoom_in() { call(ids::ZOOM_IN); }
void EngineControl::zoom_out() { call(ids::ZOOM_OUT); }
void EngineControl::pan(std::int32_t code) { call(ids::PAN, {Variant(code)}); }
double EngineControl::extent_west() const { return get(ids::EXTENT_WEST).to_double(); }
double EngineControl::extent_east() const { return get(ids::EXTENT_EAST).to_double(); }
double EngineControl::extent_south() const { return get(ids::EXTENT_SOUTH).to_double(); }
double EngineControl::extent_north() const { return get(ids::EXTENT_NORTH).to_double(); }

void EngineControl::paint(std::int32_t device_context, std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height, bool monochrome) {
    // The two flags before the monochrome one are always False for a paint into a picture.
    call(ids::PAINT, {Variant(device_context), Variant(left), Variant(top), Variant(width), Variant(height),
                      Variant::boolean(false), Variant::boolean(false), Variant::boolean(monochrome)});
}

void EngineControl::refresh() { call(ids::REFRESH); }
void EngineControl::load_settings(const std::string& path) { call(ids::LOAD_SETTINGS, {Variant(path)}); }
void EngineControl::save_settings(const std::string& path) { call(ids::SAVE_SETTINGS, {Variant(path)}); }

void EngineControl::load_overlay(const std::string& file) { call(ids::OVERLAY_FILE_LOAD, {Variant(file)}); }
void EngineControl::zoom_to_overlay() { call(ids::ZOOM_TO_OVERLAY); }
void EngineControl::set_overlay_shown(bool shown) { put(ids::OVERLAY_SHOWN, Variant::boolean(shown)); }
void EngineControl::set_underlay_shown(bool shown) { put(ids::UNDERLAY_SHOWN, Variant::boolean(shown)); }
void EngineControl::set_underlay_file(const std::string& file) { put(ids::UNDERLAY_FILE, Variant(file)); }

std::int32_t EngineControl::address_search(const std::string& address) {
    return call(ids::ADDRESS_SEARCH, {Variant(address)}).to_int32();
}

std::string EngineControl::found_item_text() const { return get(ids::FOUND_ITEM_TEXT).to_string(); }
void EngineControl::phone_lookup(const std::string& number) { call(ids::PHONE_LOOKUP, {Variant(number)}); }
std::string EngineControl::answer_text() const { return get(ids::ANSWER_TEXT).to_string(); }

void EngineControl::mark_pin(double x, double y) { call(ids::MARK_PIN, {Variant(x), Variant(y)}); }

void EngineControl::mark_region(Region kind, const std::string& name, const std::string& state_code, double x1, double y1,
                                double x2, double y2) {
    call(ids::MARK_REGION, {Variant(static_cast<std::int32_t>(kind)), Variant(name), Variant(state_code), Variant(x1), Variant(y1),
                            Variant(x2), Variant(y2)});
}

void EngineControl::mark_mile_marker(const std::string& state_code, const std::string& road, double line, bool line_is_latitude,
                                     double x1, double y1, double x2, double y2) {
    call(ids::MARK_MILE_MARKER, {Variant(state_code), Variant(road), Variant(line), Variant::boolean(line_is_latitude), Variant(x1),
                                 Variant(y1), Variant(x2), Variant(y2)});
}

void EngineControl::clear_found_mark() { call(ids::CLEAR_FOUND_MARK); }

void EngineControl::show_about_box() { call(ids::ABOUT_BOX); }

void EngineControl::set_edge_panning(bool on) { put(ids::EDGE_PANNING, Variant::boolean(on)); }
void EngineControl::set_label_font_scale(std::int32_t scale) { put(ids::LABEL_FONT_SCALE, Variant(scale)); }
void EngineControl::set_antialias(bool on) { put(ids::ANTIALIAS, Variant::boolean(on)); }
void EngineControl::set_label_halo(bool on) { put(ids::LABEL_HALO, Variant::boolean(on)); }
void EngineControl::set_label_halo_width(std::int32_t pixels) { put(ids::LABEL_HALO_WIDTH, Variant(pixels)); }
void EngineControl::set_label_halo_colour(std::int32_t colour) { put(ids::LABEL_HALO_COLOUR, Variant(colour)); }
void EngineControl::begin_session() { call(ids::BEGIN_SESSION); }
void EngineControl::settings_applied() { call(ids::SETTINGS_APPLIED); }

}  // namespace tolm::server
