#include "server/clsMapServ.h"

#include "server/Tolm.h"
#include "server/clsCpanel.h"
#include "server/favourites.h"
#include "server/forms/frmCpanel.h"
#include "server/forms/frmTolm.h"
#include "server/host_folders.h"
#include "server/sat_file.h"
#include "server/search/map_search.h"
#include "server/text_file.h"

#include "common/clsIni.h"
#include "common/path_text.h"
#include "engine/engine_ids.h"
#include "platform/module_info.h"
#include "platform/problem_report.h"
#include "platform/runtime_error.h"
#include "platform/named_mutex.h"
#include "platform/app.h"
#include "platform/saved_settings.h"
#include "ui/desktop.h"

#include <filesystem>
#include <system_error>

namespace tolm::server {

namespace {

namespace op = engine::ids;

const char* const k_server_name = "Kartovex V7 Server";
const char* const k_host_window_title = "Wendal32";
constexpr std::int32_t k_water_colour = 0xE0BA96;
constexpr std::int32_t k_white = 0xFFFFFF;
constexpr std::int32_t k_default_background = 0xAFFFFF;

// A member whose behaviour belongs to a later build says so by name rather than pretending to work.
[[noreturn]] void not_built(const char* member) {
    throw RuntimeError(runtime_errors::object_error_base + 1000, k_error_source,
                       std::string("clsMapServ.") + member + " is not available yet in this build of TolmServer7");
}

// Runs one step of a procedure whose errors are ignored step by step.
template <typename Step>
void ignoring_errors(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

Variant engine_get(const ObjectRef& engine, DispId id) {
    Arguments none;
    return engine->invoke(id, InvokeKind::property_get, none);
}

void engine_put(const ObjectRef& engine, DispId id, Variant value) {
    Arguments args{std::move(value)};
    engine->invoke(id, InvokeKind::property_put, args);
}

Variant engine_call(const ObjectRef& engine, DispId id, Arguments args = {}) {
    return engine->invoke(id, InvokeKind::method, args);
}

void set_colour_item(const ObjectRef& engine, std::int32_t item, std::int32_t colour) {
    engine_call(engine, op::COLOUR_ITEM, {Variant(item), Variant(colour)});
}

std::string library_file(const std::string& name) { return join_path(platform::app_path(), name); }

// The overlay or underlay folder: made when nothing of that name exists, kept as it is otherwise
// (a plain file of that name included). Returned with its trailing separator.
std::string ensure_layer_folder(const std::string& name) {
    const std::string folder = library_file(name);
    if (!FileExists(folder)) {
        std::error_code ec;
        if (!std::filesystem::create_directory(file_system_path(folder), ec) || ec)
            raise_runtime_error(runtime_errors::path_file_access_error, k_error_source);
    }
    return folder + std::string(1, platform::path_separator());
}

}  // namespace

clsMapServ::clsMapServ() {
    // A marker for other processes that a server is loaded; never waited on.
    ignoring_errors([] { platform::create_named_mutex("TOLM7MUTEX"); });

    SearchHostAccess search;
    search.control_ok = [this] { return m_control_ok; };
    search.engine = [this] { return engine(); };
    search.events = [this] { return m_events; };
    search.host_form = [this] { return m_host_form; };
    search.picture = [this] { return m_pic_map; };
    search.remember_picture = [this](const ObjectRef& pic) { remember_picture(pic); };
    search.size_map_to_picture = [this](const ObjectRef& pic) { size_map_to_picture(pic); };
    search.render_map = [this](const ObjectRef& pic) { RenderMap(pic); };
    search.view_extent = [this] { return engine::Extent{m_view_west, m_view_east, m_view_south, m_view_north}; };
    search.data_folder = platform::module_folder();
    m_search = std::make_unique<MapSearch>(std::move(search));
}

clsMapServ::~clsMapServ() {
    for (std::int16_t index = 1; index <= 3; ++index)
        ignoring_errors([&] { call_method(special_menu_element(index), "Unload"); });
    if (m_frm_p) {
        ignoring_errors([&] { engine_call(engine(), op::SAVE_SETTINGS, {Variant(engine_settings_file())}); });
        ignoring_errors([&] { m_frm_p->Unload(); });
        m_frm_p.reset();
    }
    m_search->unload_dialog();
    m_pic_map.reset();
}

// ---- Options ---------------------------------------------------------------------------------

void clsMapServ::strOvlFile(const std::string& value) { m_ovl_file = value; }
void clsMapServ::strUnderFile(const std::string& value) { m_under_file = value; }
std::string clsMapServ::strOvlFile() const { return m_ovl_file; }
std::string clsMapServ::strUnderFile() const { return m_under_file; }

Variant clsMapServ::varMapBackColor() {
    Arguments args{Variant(std::int32_t{0}), Variant(std::int32_t{1})};
    return Variant(engine()->invoke(op::COLOUR_ITEM, InvokeKind::property_get, args).to_int32());
}

Variant clsMapServ::varSeaColor() const { return {}; }

void clsMapServ::AddToFavouriteViews(std::string& strL) { favourites::add(m_fav_file, strL); }
void clsMapServ::SaveFavouriteViews(StringArray& strL) { favourites::save(m_fav_file, strL); }
void clsMapServ::LoadFavouriteViews(StringArray& strFav) { favourites::load(m_fav_file, strFav); }

bool clsMapServ::blnControlOk() const { return m_control_ok; }

void clsMapServ::blnShadeMcd(bool value) { engine_put(engine(), op::SHADE_MINOR_CIVIL_DIVISIONS, Variant::boolean(value)); }
void clsMapServ::blnShadeCounties(bool value) { engine_put(engine(), op::SHADE_COUNTIES, Variant::boolean(value)); }
void clsMapServ::blnShadePlaces(bool value) { engine_put(engine(), op::SHADE_PLACES, Variant::boolean(value)); }
void clsMapServ::blnShadeStates(bool value) { engine_put(engine(), op::SHADE_STATES, Variant::boolean(value)); }
bool clsMapServ::blnShadeMcd() { return engine_get(engine(), op::SHADE_MINOR_CIVIL_DIVISIONS).to_bool(); }
bool clsMapServ::blnShadeCounties() { return engine_get(engine(), op::SHADE_COUNTIES).to_bool(); }
bool clsMapServ::blnShadePlaces() { return engine_get(engine(), op::SHADE_PLACES).to_bool(); }
bool clsMapServ::blnShadeStates() { return engine_get(engine(), op::SHADE_STATES).to_bool(); }

bool clsMapServ::blnWhiteBackground() const { return m_white_background; }

void clsMapServ::blnWhiteBackground(bool value) {
    if (value == m_white_background) return;
    m_white_background = value;
    const std::int32_t colour = value ? k_white : m_engine_color;
    if (!m_frm_p) raise_runtime_error(runtime_errors::object_variable_not_set, k_error_source);
    m_frm_p->Show();
    engine_put(engine(), op::BACKGROUND_COLOUR, Variant(colour));
    engine_call(engine(), op::REFRESH);
    m_frm_p->Hide();
}

void clsMapServ::blnMono(bool value) { m_mono = value; }
bool clsMapServ::blnMono() const { return m_mono; }
void clsMapServ::blnOnewayShow(bool value) { engine_put(engine(), op::ONEWAY_ARROWS, Variant::boolean(value)); }
bool clsMapServ::blnOnewayShow() { return engine_get(engine(), op::ONEWAY_ARROWS).to_bool(); }

void clsMapServ::strData1(const std::string& value) { engine_put(engine(), op::DATA_FOLDER_1, Variant(value)); }
void clsMapServ::strData2(const std::string& value) { engine_put(engine(), op::DATA_FOLDER_2, Variant(value)); }
void clsMapServ::strData3(const std::string& value) { engine_put(engine(), op::DATA_FOLDER_3, Variant(value)); }
void clsMapServ::strStates0(const std::string& value) { engine_put(engine(), op::STATES_FOLDER, Variant(value)); }
void clsMapServ::strStates1(const std::string& value) {
    engine_put(engine(), op::SUPPLEMENTARY_STATES_FOLDER, Variant(value));
}
std::string clsMapServ::strData1() { return engine_get(engine(), op::DATA_FOLDER_1).to_string(); }
std::string clsMapServ::strData2() { return engine_get(engine(), op::DATA_FOLDER_2).to_string(); }
std::string clsMapServ::strData3() { return engine_get(engine(), op::DATA_FOLDER_3).to_string(); }
std::string clsMapServ::strStates0() { return engine_get(engine(), op::STATES_FOLDER).to_string(); }
std::string clsMapServ::strStates1() { return engine_get(engine(), op::SUPPLEMENTARY_STATES_FOLDER).to_string(); }

// ---- Lifecycle ---------------------------------------------------------------------------------

void clsMapServ::Initialize(std::string& strCallsign, ObjectRef& cMapServerEvents, ObjectRef& frmT) {
    m_host_form = frmT;
    m_events = cMapServerEvents;
    strHostFolder = platform::get_setting("Orvensa", "Wendal32", "Program Folder", "");
    m_callsign = strCallsign;
    m_fav_file = library_file(platform::app_exe_name() + ".FAV");
    strOverlaysFolder = ensure_layer_folder("Tolm Overlays");
    strUnderlaysFolder = ensure_layer_folder("Tolm Underlays");

    m_control_ok = true;
    m_frm_p = std::make_shared<frmTolm>();
    m_frm_p->Load();
    m_frm_p->Find = [this](std::string& text) { m_search->mfrmP_Find(text); };
    const std::int32_t size = 200;
    m_frm_p->Move(platform::screen_width_twips() - size, platform::screen_height_twips() - size, size, size);

    WriteLayerVisibility();
    engine_put(engine(), op::EDGE_PANNING, Variant::boolean(false));
    engine_call(engine(), op::LOAD_SETTINGS, {Variant(engine_settings_file())});

    LoadSettings();

    m_frm_p->Show();
    m_engine_color = engine_get(engine(), op::BACKGROUND_COLOUR).to_int32();
    // With a white background saved (in the settings, applied just before, or in the engine's own
    // file from the last session) the engine reports white here, and turning white off later would
    // then keep the map white. The land colour that goes with "not white" is the default one.
    if (m_engine_color == k_white) m_engine_color = k_default_background;
    engine_call(engine(), op::SET_MAP_SIZE,
                {Variant(Variant(m_frm_p->TolmWidth()).to_int32()), Variant(Variant(m_frm_p->TolmHeight()).to_int32())});

    engine_put(engine(), op::LABEL_FONT_SCALE, Variant(std::int32_t{6}));
    engine_put(engine(), op::ANTIALIAS, Variant::boolean(true));
    set_colour_item(engine(), 0xC004, -1);
    set_colour_item(engine(), engine::ids::COLOUR_WATER, k_water_colour);
    engine_put(engine(), op::LABEL_HALO, Variant::boolean(true));
    engine_put(engine(), op::LABEL_HALO_WIDTH, Variant(std::int32_t{1}));
    engine_put(engine(), op::LABEL_HALO_COLOUR, Variant(k_white));
    engine_put(engine(), op::BACKGROUND_COLOUR, Variant(m_white_background ? k_white : k_default_background));
    engine_put(engine(), op::OVERLAY_SHOWN, Variant::boolean(true));
    engine_put(engine(), op::UNDERLAY_SHOWN, Variant::boolean(false));
    engine_call(engine(), op::REFRESH);

    m_frm_p->Hide();
    engine_call(engine(), op::BEGIN_SESSION);
    // A read-only or full server folder must not stop the server: it starts and draws with the
    // settings in memory, and says what it could not save.
    try {
        engine_call(engine(), op::SAVE_SETTINGS, {Variant(engine_settings_file())});
    } catch (const RuntimeError& e) {
        platform::report_problem(std::string(e.what()) + " The map is drawn with these settings, which are not kept for the next session.");
    }
    engine_call(engine(), op::SETTINGS_APPLIED);
}

void clsMapServ::LoadSettings() {
    std::string data1, data2, data3, states0, states1, overlay, underlay;
    bool mono = false, mcd = false, counties = false, places = false, states = false, white = false, oneway = false;
    {
        clsCpanel cpanel;
        cpanel.LoadIni(data1, data2, data3, states0, states1, mono, mcd, counties, places, states, white, oneway,
                       overlay, underlay, false);
    }
    strData1(data1);
    strData2(data2);
    strData3(data3);
    strStates0(states0);
    strStates1(states1);
    m_mono = mono;
    blnShadeMcd(mcd);
    blnShadeCounties(counties);
    blnShadePlaces(places);
    blnShadeStates(states);
    blnWhiteBackground(white);
    blnOnewayShow(oneway);
    m_ovl_file = overlay;
    m_under_file = underlay;
}

void clsMapServ::WriteLayerVisibility() {
    try {
        clsIni settings;
        const bool underlay = !settings.GetIniString("SETUP", "UNDERLAY", "").to_string().empty();
        clsIni engine_file;
        engine_file.strIniName(engine_settings_file());
        engine_file.SaveIniString("Visible", "OVER", Variant("TRUE"));
        engine_file.SaveIniString("Visible", "UNDER", Variant(underlay ? "TRUE" : "FALSE"));
    } catch (...) {
    }
}

void clsMapServ::WriteMapInfFile(double west, double north, double east, double south) {
    try {
        if (strHostFolder.empty()) return;
        std::string north_text, west_text, south_text, east_text;
        FormatPosition(north, west, north_text, west_text);
        FormatPosition(south, east, south_text, east_text);
        write_text_lines_if_changed(join_path(join_path(strHostFolder, "Maps"), "!!TolmServer7.INF"),
                                   {west_text + "," + north_text, east_text + "," + south_text, k_server_name});
    } catch (...) {
        // The client keeps the entry of the map before; a missing Maps folder is not the client's problem.
    }
}

// ---- Drawing -----------------------------------------------------------------------------------

void clsMapServ::size_map_to_picture(const ObjectRef& picMap) {
    put_property(picMap, "ScaleMode", Variant(std::int16_t{3}));
    const std::int32_t width = get_property(picMap, "ScaleWidth").to_int32();
    const std::int32_t height = get_property(picMap, "ScaleHeight").to_int32();
    SizeMap(width, height);
}

void clsMapServ::SizeMap(std::int32_t width, std::int32_t height) {
    if (!m_control_ok || (width == m_map_width && height == m_map_height)) return;
    engine_call(engine(), op::SET_MAP_SIZE, {Variant(width), Variant(height)});
    m_map_width = width;
    m_map_height = height;
}

void clsMapServ::remember_picture(const ObjectRef& picMap) {
    if (!m_pic_map) m_pic_map = picMap;
}

bool clsMapServ::DrawMapFromCorners(ObjectRef& picMap, double& dblDegX1, double& dblDegY1, double& dblDegX2,
                                    double& dblDegY2) {
    if (dblDegX1 == dblDegX2 || dblDegY1 == dblDegY2) return ZoomAll(picMap);
    remember_picture(picMap);
    size_map_to_picture(picMap);
    if (m_control_ok)
        engine_call(engine(), op::SHOW_RECTANGLE,
                    {Variant(dblDegX1), Variant(dblDegY1), Variant(dblDegX2), Variant(dblDegY2)});
    RenderMap(picMap);
    return true;
}

bool clsMapServ::DrawMapFromCentre(ObjectRef& picMap, double& dblDegX, double& dblDegY) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine_call(engine(), op::CENTRE_ON, {Variant(dblDegX), Variant(dblDegY)});
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ResizeMap(ObjectRef& picMap, double&, double&, double&, double&) {
    size_map_to_picture(picMap);
    RenderMap(picMap);
    return true;
}

void clsMapServ::RenderMap(const ObjectRef& pic) {
    if (m_first_render_done) {
        bool host_window = true;
        ignoring_errors([&] { host_window = platform::find_window_by_title(k_host_window_title) != 0; });
        if (!host_window) return;
    } else {
        ignoring_errors([&] { put_property(special_menu_element(1), "Visible", Variant::boolean(false)); });
        m_first_render_done = true;
    }

    if (!m_control_ok) {
        ignoring_errors([&] {
            call_method(m_events, "SignalInformation",
                        {Variant(std::int16_t{-50}), Variant(std::int16_t{50}), Variant(std::int16_t{50}),
                         Variant(std::int16_t{-50}), Variant(k_server_name)});
        });
        ignoring_errors([&] { put_property(pic, "BackColor", Variant(k_white)); });
        ignoring_errors([&] { putref_property(pic, "Picture", nullptr); });
        ignoring_errors([&] { call_method(pic, "Cls"); });
        return;
    }

    ignoring_errors([&] { ApplyOverlay(); });
    ignoring_errors([&] { ApplyUnderlay(); });

    ignoring_errors([&] { put_property(pic, "BackColor", Variant(k_water_colour)); });
    ignoring_errors([&] { put_property(pic, "FillColor", Variant(k_water_colour)); });
    ignoring_errors([&] { put_property(pic, "FillStyle", Variant(std::int16_t{0})); });
    ignoring_errors([&] { putref_property(pic, "Picture", nullptr); });
    std::int32_t width = 0, height = 0;
    Variant hdc;
    ignoring_errors([&] { width = get_property(pic, "ScaleWidth").to_int32(); });
    ignoring_errors([&] { height = get_property(pic, "ScaleHeight").to_int32(); });
    ignoring_errors([&] { hdc = get_property(pic, "hDC"); });

    ignoring_errors([&] { m_view_west = engine_get(engine(), op::EXTENT_WEST).to_double(); });
    ignoring_errors([&] { m_view_east = engine_get(engine(), op::EXTENT_EAST).to_double(); });
    ignoring_errors([&] { m_view_south = engine_get(engine(), op::EXTENT_SOUTH).to_double(); });
    ignoring_errors([&] { m_view_north = engine_get(engine(), op::EXTENT_NORTH).to_double(); });

    WriteMapInfFile(m_view_west, m_view_north, m_view_east, m_view_south);

    Variant draw_width, draw_mode, draw_style;
    ignoring_errors([&] { draw_width = get_property(pic, "DrawWidth"); });
    ignoring_errors([&] { draw_mode = get_property(pic, "DrawMode"); });
    ignoring_errors([&] { draw_style = get_property(pic, "DrawStyle"); });

    ignoring_errors([&] {
        engine_call(engine(), op::PAINT,
                    {hdc, Variant(std::int32_t{0}), Variant(std::int32_t{0}), Variant(width), Variant(height),
                     Variant::boolean(false), Variant::boolean(false), Variant::boolean(m_mono)});
    });

    ignoring_errors([&] { put_property(pic, "DrawWidth", draw_width); });
    ignoring_errors([&] { put_property(pic, "DrawMode", draw_mode); });
    ignoring_errors([&] { put_property(pic, "DrawStyle", draw_style); });

    if (m_search->marker_line_shown())
        m_search->DrawMileMarkerLine(pic);
    else
        ignoring_errors([&] { put_property(special_menu_element(1), "Visible", Variant::boolean(false)); });

    ignoring_errors([&] { putref_property(pic, "Picture", get_property(pic, "Image").to_object()); });

    ignoring_errors([&] {
        Arguments args{Variant(m_view_west), Variant(m_view_east), Variant(m_view_north), Variant(m_view_south),
                       Variant(k_server_name)};
        call_method(m_events, "SignalInformation", args);
    });
}

void clsMapServ::ApplyOverlay() {
    if (m_ovl_file != m_ovl_loaded) {
        const std::string file = FileExists(m_ovl_file) ? m_ovl_file : std::string();
        engine_call(engine(), op::OVERLAY_FILE_LOAD, {Variant(file)});
        if (!file.empty() && m_ovl_applied) engine_call(engine(), op::ZOOM_TO_OVERLAY);
        m_ovl_loaded = file;
    }
    ignoring_errors(
        [&] { put_property(special_menu_element(3), "Enabled", Variant::boolean(!m_ovl_loaded.empty())); });
    m_ovl_applied = true;
}

void clsMapServ::ApplyUnderlay() {
    if (m_under_file != m_under_loaded) {
        const std::string file = FileExists(m_under_file) ? m_under_file : std::string();
        engine_put(engine(), op::UNDERLAY_SHOWN, Variant::boolean(!file.empty()));
        engine_put(engine(), op::UNDERLAY_FILE, Variant(file));
        m_under_loaded = file;
    }
    ignoring_errors(
        [&] { put_property(special_menu_element(2), "Enabled", Variant::boolean(!m_under_loaded.empty())); });
}

// ---- Navigation --------------------------------------------------------------------------------

bool clsMapServ::ZoomIn(ObjectRef& picMap) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine_call(engine(), op::ZOOM_IN);
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ZoomOut(ObjectRef& picMap) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine_call(engine(), op::ZOOM_OUT);
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ZoomAll(ObjectRef& picMap) {
    size_map_to_picture(picMap);
    if (m_control_ok)
        engine_call(engine(), op::SHOW_RECTANGLE,
                    {Variant(-160.0), Variant(80.0), Variant(160.0), Variant(-80.0)});
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ZoomPan(ObjectRef& picMap, std::int16_t& intPan) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine_call(engine(), op::PAN, {Variant(static_cast<std::int32_t>(intPan))});
    RenderMap(picMap);
    return true;
}

void clsMapServ::GetSupportedFeatures(bool& blnDiagonalPan, bool& blnZoomIn, bool& blnZoomOut, bool& blnZoomAll,
                                      bool& blnControlPanel, std::string& strHelpFile, std::int32_t& lngHelpTopic,
                                      std::string& strServerShortName, StringArray& strSpecialOptionMenuCaption) {
    blnDiagonalPan = blnZoomIn = blnZoomOut = blnZoomAll = blnControlPanel = true;
    strHelpFile = library_file(std::string("TolmServer6") + ".HLP");
    {
        frmCpanel panel;
        lngHelpTopic = panel.HelpContextID();
        panel.Unload();
    }
    strServerShortName = "TolmServer7";
    strSpecialOptionMenuCaption =
        StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"});
}

void clsMapServ::ShowControlPanel() { not_built("ShowControlPanel"); }

bool clsMapServ::SpecialMenuOption(ObjectRef& picMap, std::int16_t& intIndex) {
    if (!m_control_ok) return false;
    switch (intIndex) {
        case 0: return m_search->ShowSearchDialog(picMap);
        case 1: m_search->HideMileMarkerLine(); return false;
        case 2:
        case 3:
            remember_picture(picMap);
            size_map_to_picture(picMap);
            call_method(m_events, "SignalSuspend", {Variant::boolean(true)});
            if (intIndex == 2)
                ZoomToUnderlay();
            else
                engine_call(engine(), op::ZOOM_TO_OVERLAY);
            RenderMap(picMap);
            return true;
        default: return false;
    }
}

void clsMapServ::ZoomToUnderlay() {
    try {
        const auto sat = sat_path_for_underlay(m_under_file);
        if (!sat) return;
        const auto extent = read_sat_extent(*sat);
        if (!extent) return;
        engine_call(engine(), op::SHOW_RECTANGLE,
                    {Variant(extent->west), Variant(extent->north), Variant(extent->east), Variant(extent->south)});
    } catch (...) {
    }
}

// ---- Helpers -----------------------------------------------------------------------------------

const ObjectRef& clsMapServ::engine() const {
    if (!m_frm_p || !m_frm_p->Tolm()) raise_runtime_error(runtime_errors::object_variable_not_set, k_error_source);
    return m_frm_p->Tolm();
}

ObjectRef clsMapServ::special_menu_element(std::int16_t index) const {
    return get_property(m_host_form, "mnuMapSpecialOptions", {Variant(index)}).to_object();
}

std::string clsMapServ::engine_settings_file() const { return library_file("Cartix71.Cfg"); }

}  // namespace tolm::server
