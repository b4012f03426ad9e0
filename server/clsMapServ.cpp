#include "server/clsMapServ.h"

#include "server/Tolm.h"
#include "server/clsCpanel.h"
#include "server/client_picture.h"
#include "server/engine_control.h"
#include "server/favourites.h"
#include "server/forms/frmCpanel.h"
#include "server/forms/frmTolm.h"
#include "server/host_folders.h"
#include "server/sat_file.h"
#include "server/search/map_search.h"
#include "server/text_file.h"

#include "common/clsIni.h"
#include "common/path_text.h"
#include "platform/module_info.h"
#include "platform/problem_report.h"
#include "platform/runtime_error.h"
#include "platform/named_mutex.h"
#include "platform/app.h"
#include "platform/saved_settings.h"
#include "ui/desktop.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace tolm::server {

namespace {

const char* const k_server_name = "Kartovex V7 Server";
const char* const k_host_window_title = "Wendal32";
constexpr std::int32_t k_water_colour = 0xE0BA96;
constexpr std::int32_t k_white = 0xFFFFFF;
constexpr std::int32_t k_default_background = 0xAFFFFF;

// Runs one step of a procedure whose errors are ignored step by step.
template <typename Step>
void ignoring_errors(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

// A size as the client's CLng makes it: round half to even, error 6 past the range of a Long.
std::int32_t whole_pixels(double value) { return Variant(value).to_int32(); }

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
        ignoring_errors([&] { engine().save_settings(engine_settings_file()); });
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
    return Variant(engine().map_background_colour());
}

Variant clsMapServ::varSeaColor() const { return {}; }

void clsMapServ::AddToFavouriteViews(std::string& strL) { favourites::add(m_fav_file, strL); }
void clsMapServ::SaveFavouriteViews(StringArray& strL) { favourites::save(m_fav_file, strL); }
void clsMapServ::LoadFavouriteViews(StringArray& strFav) { favourites::load(m_fav_file, strFav); }

bool clsMapServ::blnControlOk() const { return m_control_ok; }

void clsMapServ::blnShadeMcd(bool value) { engine().set_shading(EngineControl::Shading::minor_civil_divisions, value); }
void clsMapServ::blnShadeCounties(bool value) { engine().set_shading(EngineControl::Shading::counties, value); }
void clsMapServ::blnShadePlaces(bool value) { engine().set_shading(EngineControl::Shading::places, value); }
void clsMapServ::blnShadeStates(bool value) { engine().set_shading(EngineControl::Shading::states, value); }
bool clsMapServ::blnShadeMcd() { return engine().shading(EngineControl::Shading::minor_civil_divisions); }
bool clsMapServ::blnShadeCounties() { return engine().shading(EngineControl::Shading::counties); }
bool clsMapServ::blnShadePlaces() { return engine().shading(EngineControl::Shading::places); }
bool clsMapServ::blnShadeStates() { return engine().shading(EngineControl::Shading::states); }

bool clsMapServ::blnWhiteBackground() const { return m_white_background; }

void clsMapServ::blnWhiteBackground(bool value) {
    if (value == m_white_background) return;
    m_white_background = value;
    const std::int32_t colour = value ? k_white : m_engine_color;
    if (!m_frm_p) raise_runtime_error(runtime_errors::object_variable_not_set, k_error_source);
    m_frm_p->Show();
    engine().set_background_colour(colour);
    engine().refresh();
    m_frm_p->Hide();
}

void clsMapServ::blnMono(bool value) { m_mono = value; }
bool clsMapServ::blnMono() const { return m_mono; }
void clsMapServ::blnOnewayShow(bool value) { engine().set_oneway_arrows(value); }
bool clsMapServ::blnOnewayShow() { return engine().oneway_arrows(); }
bool clsMapServ::map_aid(EngineControl::MapAid which) const { return engine().map_aid(which); }
void clsMapServ::set_map_aid(EngineControl::MapAid which, bool shown) { engine().set_map_aid(which, shown); }

void clsMapServ::strData1(const std::string& value) { engine().set_folder(EngineControl::Folder::data1, value); }
void clsMapServ::strData2(const std::string& value) { engine().set_folder(EngineControl::Folder::data2, value); }
void clsMapServ::strData3(const std::string& value) { engine().set_folder(EngineControl::Folder::data3, value); }
void clsMapServ::strStates0(const std::string& value) { engine().set_folder(EngineControl::Folder::states, value); }
void clsMapServ::strStates1(const std::string& value) {
    engine().set_folder(EngineControl::Folder::supplementary_states, value);
}
std::string clsMapServ::strData1() { return engine().folder(EngineControl::Folder::data1); }
std::string clsMapServ::strData2() { return engine().folder(EngineControl::Folder::data2); }
std::string clsMapServ::strData3() { return engine().folder(EngineControl::Folder::data3); }
std::string clsMapServ::strStates0() { return engine().folder(EngineControl::Folder::states); }
std::string clsMapServ::strStates1() { return engine().folder(EngineControl::Folder::supplementary_states); }

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
    engine().set_edge_panning(false);
    engine().load_settings(engine_settings_file());

    LoadSettings();

    m_frm_p->Show();
    m_engine_color = engine().background_colour();
    // With a white background saved (in the settings, applied just before, or in the engine's own
    // file from the last session) the engine reports white here, and turning white off later would
    // then keep the map white. The land colour that goes with "not white" is the default one.
    if (m_engine_color == k_white) m_engine_color = k_default_background;
    EngineControl control = engine();
    control.set_map_size(whole_pixels(m_frm_p->TolmWidth()), whole_pixels(m_frm_p->TolmHeight()));

    control.set_label_font_scale(6);
    control.set_antialias(true);
    control.set_colour_item(0xC004, -1);
    control.set_water_colour(k_water_colour);
    control.set_label_halo(true);
    control.set_label_halo_width(1);
    control.set_label_halo_colour(k_white);
    control.set_background_colour(m_white_background ? k_white : k_default_background);
    control.set_overlay_shown(true);
    control.set_underlay_shown(false);
    control.refresh();

    m_frm_p->Hide();
    control.begin_session();
    // A read-only or full server folder must not stop the server: it starts and draws with the
    // settings in memory, and says what it could not save.
    try {
        control.save_settings(engine_settings_file());
    } catch (const RuntimeError& e) {
        platform::report_problem(std::string(e.what()) + " The map is drawn with these settings, which are not kept for the next session.");
    }
    control.settings_applied();
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
    ClientPicture picture(picMap);
    picture.set_scale_mode(ClientPicture::k_scale_pixels);
    const std::int32_t width = whole_pixels(picture.scale_width());
    const std::int32_t height = whole_pixels(picture.scale_height());
    SizeMap(width, height);
}

void clsMapServ::SizeMap(std::int32_t width, std::int32_t height) {
    if (!m_control_ok || (width == m_map_width && height == m_map_height)) return;
    engine().set_map_size(width, height);
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
        engine().show_rectangle(dblDegX1, dblDegY1, dblDegX2, dblDegY2);
    RenderMap(picMap);
    return true;
}

bool clsMapServ::DrawMapFromCentre(ObjectRef& picMap, double& dblDegX, double& dblDegY) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine().centre_on(dblDegX, dblDegY);
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ResizeMap(ObjectRef& picMap, double&, double&, double&, double&) {
    size_map_to_picture(picMap);
    RenderMap(picMap);
    return true;
}

void clsMapServ::RenderMap(const ObjectRef& pic) {
    ClientPicture picture(pic);
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
        ignoring_errors([&] { picture.set_back_color(k_white); });
        ignoring_errors([&] { picture.set_picture(nullptr); });
        ignoring_errors([&] { picture.cls(); });
        return;
    }

    ignoring_errors([&] { ApplyOverlay(); });
    ignoring_errors([&] { ApplyUnderlay(); });

    ignoring_errors([&] { picture.set_back_color(k_water_colour); });
    ignoring_errors([&] { picture.set_fill_color(k_water_colour); });
    ignoring_errors([&] { picture.set_fill_style(ClientPicture::k_fill_solid); });
    ignoring_errors([&] { picture.set_picture(nullptr); });
    std::int32_t width = 0, height = 0, hdc = 0;
    ignoring_errors([&] { width = whole_pixels(picture.scale_width()); });
    ignoring_errors([&] { height = whole_pixels(picture.scale_height()); });
    ignoring_errors([&] { hdc = picture.hdc(); });

    ignoring_errors([&] { m_view_west = engine().extent_west(); });
    ignoring_errors([&] { m_view_east = engine().extent_east(); });
    ignoring_errors([&] { m_view_south = engine().extent_south(); });
    ignoring_errors([&] { m_view_north = engine().extent_north(); });

    WriteMapInfFile(m_view_west, m_view_north, m_view_east, m_view_south);

    // The pen as the client left it; what could not be read is not written back.
    std::optional<std::int16_t> draw_width, draw_mode, draw_style;
    ignoring_errors([&] { draw_width = picture.draw_width(); });
    ignoring_errors([&] { draw_mode = picture.draw_mode(); });
    ignoring_errors([&] { draw_style = picture.draw_style(); });

    ignoring_errors([&] { engine().paint(hdc, 0, 0, width, height, m_mono); });

    ignoring_errors([&] { if (draw_width) picture.set_draw_width(*draw_width); });
    ignoring_errors([&] { if (draw_mode) picture.set_draw_mode(*draw_mode); });
    ignoring_errors([&] { if (draw_style) picture.set_draw_style(*draw_style); });

    if (m_search->marker_line_shown())
        m_search->DrawMileMarkerLine(pic);
    else
        ignoring_errors([&] { put_property(special_menu_element(1), "Visible", Variant::boolean(false)); });

    ignoring_errors([&] { picture.set_picture(picture.image()); });

    ignoring_errors([&] {
        Arguments args{Variant(m_view_west), Variant(m_view_east), Variant(m_view_north), Variant(m_view_south),
                       Variant(k_server_name)};
        call_method(m_events, "SignalInformation", args);
    });
}

void clsMapServ::ApplyOverlay() {
    if (m_ovl_file != m_ovl_loaded) {
        const std::string file = FileExists(m_ovl_file) ? m_ovl_file : std::string();
        engine().load_overlay(file);
        if (!file.empty() && m_ovl_applied) engine().zoom_to_overlay();
        m_ovl_loaded = file;
    }
    ignoring_errors(
        [&] { put_property(special_menu_element(3), "Enabled", Variant::boolean(!m_ovl_loaded.empty())); });
    m_ovl_applied = true;
}

void clsMapServ::ApplyUnderlay() {
    if (m_under_file != m_under_loaded) {
        const std::string file = FileExists(m_under_file) ? m_under_file : std::string();
        engine().set_underlay_shown(!file.empty());
        engine().set_underlay_file(file);
        m_under_loaded = file;
    }
    ignoring_errors(
        [&] { put_property(special_menu_element(2), "Enabled", Variant::boolean(!m_under_loaded.empty())); });
}

// ---- Navigation --------------------------------------------------------------------------------

bool clsMapServ::ZoomIn(ObjectRef& picMap) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine().zoom_in();
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ZoomOut(ObjectRef& picMap) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine().zoom_out();
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ZoomAll(ObjectRef& picMap) {
    size_map_to_picture(picMap);
    if (m_control_ok) {
        engine().show_rectangle(-160.0, 80.0, 160.0, -80.0);
        // The whole world is a fresh start: the mark of a found item goes with the view it was found in.
        ignoring_errors([&] { engine().clear_found_mark(); });
    }
    RenderMap(picMap);
    return true;
}

bool clsMapServ::ZoomPan(ObjectRef& picMap, std::int16_t& intPan) {
    size_map_to_picture(picMap);
    if (m_control_ok) engine().pan(intPan);
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

void clsMapServ::ShowControlPanel() {
    m_cpanel = std::make_unique<clsCpanel>();
    m_cpanel->Parent(this);
    m_cpanel->AboutCartix = [this] { mcCpanel_AboutCartix(); };
    try {
        m_cpanel->ShowControlPanel();
    } catch (...) {
        m_cpanel.reset();
        throw;
    }
    m_cpanel.reset();
}

void clsMapServ::mcCpanel_AboutCartix() {
    if (m_control_ok) engine().show_about_box();
}

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
                engine().zoom_to_overlay();
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
        engine().show_rectangle(extent->west, extent->north, extent->east, extent->south);
    } catch (...) {
    }
}

// ---- Helpers -----------------------------------------------------------------------------------

EngineControl clsMapServ::engine() const {
    if (!m_frm_p || !m_frm_p->Tolm()) raise_runtime_error(runtime_errors::object_variable_not_set, k_error_source);
    return EngineControl(m_frm_p->Tolm());
}

ObjectRef clsMapServ::special_menu_element(std::int16_t index) const {
    return get_property(m_host_form, "mnuMapSpecialOptions", {Variant(index)}).to_object();
}

std::string clsMapServ::engine_settings_file() const { return library_file("Cartix71.Cfg"); }

}  // namespace tolm::server
