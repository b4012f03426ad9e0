#include "server/clsCpanel.h"

#include "server/Tolm.h"
#include "server/clsMapServ.h"
#include "server/forms/frmDummy.h"

#include "common/cRegistry.h"
#include "common/clsFolderBrowser.h"
#include "common/clsIni.h"
#include "common/path_text.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"
#include "platform/app.h"
#include "ui/desktop.h"
#include "ui/current_window_system.h"
#include "platform/text.h"
#include "platform/window_system.h"

namespace tolm::server {

namespace {

const char* const k_closing_text =
    "TolmServer7 will not work properly until you configure the data directories. You will be prompted again the "
    "next time the server starts, or you can manually configure the directories using the Map, Control Panel menu "
    "option.";
const char* const k_request_text =
    " In the next dialogue, please browse to your Kartovex V7 program folder, then click 'Ok'.";

// Settings messages: information icon, OK, the library's title.
void inform(const std::string& text) {
    platform::MessageBoxRequest request;
    request.text = text;
    request.title = platform::app_title();
    request.style = platform::message_box_style::ok_only | platform::message_box_style::information;
    platform::window_system().message_box(request);
}

// A settings Boolean as the runtime's CBool reads the stored text: True/False in any case or a number.
// Anything else, the empty text included, is a type mismatch.
bool read_boolean(clsIni& ini, const char* key, const char* default_text) {
    return ini.GetIniString("SETUP", key, default_text).to_bool();
}

std::string read_text(clsIni& ini, const char* section, const char* key,
                      const std::optional<std::string>& file = std::nullopt) {
    return ini.GetIniString(section, key, "", file).to_string();
}

std::string program_files_guess() {
    cRegistry registry;
    registry.ClassKey(static_cast<std::int32_t>(platform::registry::HKEY_LOCAL_MACHINE));
    registry.SectionKey("Software\\Microsoft\\Windows\\CurrentVersion");
    registry.ValueKey("ProgramFilesDir");
    registry.ValueType(static_cast<std::int32_t>(platform::registry::REG_SZ));
    registry.Default(Variant(std::string()));
    std::string folder = registry.Value().to_string();
    if (folder.empty()) return {};
    folder = join_path(folder, "Kartovex Roadbook 7.0");
    if (!FileExists(join_path(folder, "MAP.INI"))) return {};
    return folder;
}

}  // namespace

clsCpanel::clsCpanel() = default;
clsCpanel::~clsCpanel() = default;

void clsCpanel::LoadIni(std::string& strD1, std::string& strD2, std::string& strD3, std::string& strS0,
                        std::string& strS1, bool& blnMono, bool& blnShadeMcd, bool& blnShadeCounties,
                        bool& blnShadePlaces, bool& blnShadeStates, bool& blnWhiteBackground, bool& blnOnewayShow,
                        std::string& strOvlFile, std::string& strUnderFile, bool blnStartAgain) {
    clsIni ini;
    blnMono = read_boolean(ini, "MONOCHROME", "False");
    blnShadeMcd = read_boolean(ini, "SHADE_MCD", "True");
    blnShadeCounties = read_boolean(ini, "SHADE_COUNTY", "True");
    blnShadePlaces = read_boolean(ini, "SHADE_PLACE", "True");
    blnShadeStates = read_boolean(ini, "SHADE_STATE", "True");
    blnWhiteBackground = read_boolean(ini, "WHITE_BACKGROUND", "False");
    blnOnewayShow = read_boolean(ini, "ONEWAY_SHOW", "False");
    strOvlFile = read_text(ini, "SETUP", "OVERLAY");
    strUnderFile = read_text(ini, "SETUP", "UNDERLAY");

    if (blnStartAgain) {
        m_discovery_found_folder = discover_data_paths(strD1, strD2, strD3, strS0, strS1, true);
        return;
    }
    strD1 = read_text(ini, "PATHS", "DATA1");
    strD2 = read_text(ini, "PATHS", "DATA2");
    strD3 = read_text(ini, "PATHS", "DATA3");
    strS0 = read_text(ini, "PATHS", "STATES0");
    strS1 = read_text(ini, "PATHS", "STATES1");
    if (!strD1.empty() && !strD2.empty() && !strD3.empty() && !strS0.empty()) {
        if (strS1.empty()) strS1 = strS0;
        return;
    }
    m_discovery_found_folder = discover_data_paths(strD1, strD2, strD3, strS0, strS1, false);
}

bool clsCpanel::discover_data_paths(std::string& data1, std::string& data2, std::string& data3,
                                    std::string& states0, std::string& states1, bool easy_setup) {
    inform(easy_setup ? std::string(k_request_text)
                      : std::string("You need to tell TolmServer7 the location of your Kartovex V7 data files. ") +
                            k_request_text);

    const std::string folder = BrowseFolder("Browse to the Kartovex V7 program folder", program_files_guess());
    if (folder.empty()) {
        inform(k_closing_text);
        return false;
    }
    const std::string map_ini = join_path(folder, "MAP.INI");
    if (!FileExists(map_ini)) {
        inform(std::string("The directory you selected does not contain MAP.INI. ") + k_closing_text);
        return false;
    }

    clsIni ini;
    data1 = read_text(ini, "Application Interface", "Data1Path", map_ini);
    data2 = read_text(ini, "Application Interface", "Data2Path", map_ini);
    data3 = read_text(ini, "Application Interface", "Data3Path", map_ini);
    states0 = read_text(ini, "Application Interface", "StatesPath", map_ini);
    StripTrailingBackslash(data1);
    StripTrailingBackslash(data2);
    StripTrailingBackslash(data3);
    StripTrailingBackslash(states0);

    if (!data1.empty() && !data2.empty() && !data3.empty() && !states0.empty()) {
        const std::string parent_of_data = to_upper_ascii(GetParentFolder(data1));
        const std::string parent_of_states = to_upper_ascii(GetParentFolder(states0));
        if (parent_of_states != parent_of_data) {
            const std::string candidate = join_path(parent_of_data, "States");
            states1 = FileExists(candidate) ? candidate : states0;
        } else {
            states1 = states0;
        }
        std::string text = "The map data paths have been successfully configured.";
        if (!easy_setup)
            text += " If you need to change the map data paths in the future, please use the Map, 'Control Panel' "
                    "menu option. Also, please note that TolmServer7 has a help file, which can be accessed both "
                    "from the Control and from the Map, 'TolmServer6 Help' menu option.";
        inform(text);
    } else {
        inform(std::string("MAP.INI does not contain all the required data directory information. ") +
               k_closing_text);
    }

    clsIni writer;
    writer.SaveIniString("PATHS", "DATA1", Variant(data1));
    writer.SaveIniString("PATHS", "DATA2", Variant(data2));
    writer.SaveIniString("PATHS", "DATA3", Variant(data3));
    writer.SaveIniString("PATHS", "STATES0", Variant(states0));
    writer.SaveIniString("PATHS", "STATES1", Variant(states1));
    return true;
}

clsMapServ& clsCpanel::server() const {
    if (!m_parent) raise_runtime_error(runtime_errors::object_variable_not_set, k_error_source);
    return *m_parent;
}

void clsCpanel::ShowControlPanel() {
    clsMapServ& map_server = server();
    mfrmCpanel = forms::make_form<frmCpanel>();
    connect_events();
    mfrmCpanel->blnMono(map_server.blnMono());
    mfrmCpanel->blnShadeMcd(map_server.blnShadeMcd());
    mfrmCpanel->blnShadeCounties(map_server.blnShadeCounties());
    mfrmCpanel->blnShadePlaces(map_server.blnShadePlaces());
    mfrmCpanel->blnShadeStates(map_server.blnShadeStates());
    mfrmCpanel->blnWhiteBackground(map_server.blnWhiteBackground());
    mfrmCpanel->blnOnewayShow(map_server.blnOnewayShow());
    for (int aid = 0; aid < 3; ++aid)
        mfrmCpanel->map_aid_checked(aid, map_server.map_aid(static_cast<EngineControl::MapAid>(aid)));
    mfrmCpanel->mnuOptions.set_enabled(true);
    mfrmCpanel->strOvlFile(map_server.strOvlFile());
    mfrmCpanel->strUnderFile(map_server.strUnderFile());

    // White Background takes effect when the panel closes, however it closes: also when an error
    // ends the modal loop, the user's choice is applied and kept before the error goes on.
    auto apply_white_background = [&] {
        const bool white = mfrmCpanel->mnuWhiteBackground.checked();
        map_server.blnWhiteBackground(white);
        clsIni().SaveIniString("SETUP", "WHITE_BACKGROUND", Variant::boolean(white));
    };
    try {
        mfrmCpanel->ShowModal();
    } catch (...) {
        try {
            apply_white_background();
        } catch (...) {
            // The error that ended the panel is the one to report.
        }
        mfrmCpanel.reset();
        throw;
    }
    apply_white_background();
    mfrmCpanel->Unload();
    mfrmCpanel.reset();
}

void clsCpanel::connect_events() {
    frmCpanel& form = *mfrmCpanel;
    form.EasySetup = [this] { mfrmCpanel_EasySetup(); };
    form.Data1 = [this] { mfrmCpanel_Data1(); };
    form.Data2 = [this] { mfrmCpanel_Data2(); };
    form.Data3 = [this] { mfrmCpanel_Data3(); };
    form.States0 = [this] { mfrmCpanel_States0(); };
    form.States1 = [this] { mfrmCpanel_States1(); };
    form.Monochrome = [this](bool blnM) { mfrmCpanel_Monochrome(blnM); };
    form.AboutCartix = [this] { mfrmCpanel_AboutCartix(); };
    form.ShadeCounties = [this](bool blnS) { mfrmCpanel_ShadeCounties(blnS); };
    form.ShadeMCD = [this](bool blnS) { mfrmCpanel_ShadeMCD(blnS); };
    form.ShadePlaces = [this](bool blnS) { mfrmCpanel_ShadePlaces(blnS); };
    form.ShadeStates = [this](bool blnS) { mfrmCpanel_ShadeStates(blnS); };
    form.OnewayShow = [this](bool blnW) { mfrmCpanel_OnewayShow(blnW); };
    form.OvlFile = [this](const std::string& file) { mfrmCpanel_OvlFile(file); };
    form.UnderFile = [this](const std::string& file) { mfrmCpanel_UnderFile(file); };
    // The engine keeps the map aids in its own settings file.
    form.MapAid = [this](int aid, bool shown) { server().set_map_aid(static_cast<EngineControl::MapAid>(aid), shown); };
}

void clsCpanel::mfrmCpanel_EasySetup() {
    std::string data1, data2, data3, states0, states1, overlay, underlay;
    bool mono = false, mcd = false, counties = false, places = false, states = false, white = false, oneway = false;
    LoadIni(data1, data2, data3, states0, states1, mono, mcd, counties, places, states, white, oneway, overlay,
            underlay, true);
    clsMapServ& map_server = server();
    // Discovery that ended without a product folder changed nothing in the settings file; the running
    // server keeps the folders it draws from rather than being left with none.
    if (m_discovery_found_folder) {
        map_server.strData1(data1);
        map_server.strData2(data2);
        map_server.strData3(data3);
        map_server.strStates0(states0);
        map_server.strStates1(states1);
    }
    map_server.blnMono(mono);
    map_server.blnShadeMcd(mcd);
    map_server.blnShadeCounties(counties);
    map_server.blnShadePlaces(places);
    map_server.blnShadeStates(states);
    map_server.blnWhiteBackground(white);
    map_server.blnOnewayShow(oneway);
    map_server.strOvlFile(overlay);
    map_server.strUnderFile(underlay);
}

namespace {

// One single-folder item: browse from the server's current folder, then apply and save the choice.
template <typename Get, typename Set>
void browse_single_folder(Get get, Set set, const char* key, const char* label) {
    const std::string chosen = BrowseForDataFolder(get(), label);
    if (chosen.empty()) return;
    set(chosen);
    clsIni().SaveIniString("PATHS", key, Variant(chosen));
}

}  // namespace

void clsCpanel::mfrmCpanel_Data1() {
    clsMapServ& s = server();
    browse_single_folder([&] { return s.strData1(); }, [&](const std::string& v) { s.strData1(v); }, "DATA1", "Data1");
}

void clsCpanel::mfrmCpanel_Data2() {
    clsMapServ& s = server();
    browse_single_folder([&] { return s.strData2(); }, [&](const std::string& v) { s.strData2(v); }, "DATA2", "Data2");
}

void clsCpanel::mfrmCpanel_Data3() {
    clsMapServ& s = server();
    browse_single_folder([&] { return s.strData3(); }, [&](const std::string& v) { s.strData3(v); }, "DATA3", "Data3");
}

void clsCpanel::mfrmCpanel_States0() {
    clsMapServ& s = server();
    browse_single_folder([&] { return s.strStates0(); }, [&](const std::string& v) { s.strStates0(v); }, "STATES0",
                         "States");
}

void clsCpanel::mfrmCpanel_States1() {
    clsMapServ& s = server();
    browse_single_folder([&] { return s.strStates1(); }, [&](const std::string& v) { s.strStates1(v); }, "STATES1",
                         "States (Supplementary)");
}

void clsCpanel::mfrmCpanel_Monochrome(bool blnM) {
    server().blnMono(blnM);
    clsIni().SaveIniString("SETUP", "MONOCHROME", Variant::boolean(blnM));
}

void clsCpanel::mfrmCpanel_AboutCartix() {
    if (AboutCartix) AboutCartix();
}

void clsCpanel::mfrmCpanel_ShadeCounties(bool blnS) {
    server().blnShadeCounties(blnS);
    clsIni().SaveIniString("SETUP", "SHADE_COUNTY", Variant::boolean(blnS));
}

void clsCpanel::mfrmCpanel_ShadeMCD(bool blnS) {
    server().blnShadeMcd(blnS);
    clsIni().SaveIniString("SETUP", "SHADE_MCD", Variant::boolean(blnS));
}

void clsCpanel::mfrmCpanel_ShadePlaces(bool blnS) {
    server().blnShadePlaces(blnS);
    clsIni().SaveIniString("SETUP", "SHADE_PLACE", Variant::boolean(blnS));
}

void clsCpanel::mfrmCpanel_ShadeStates(bool blnS) {
    server().blnShadeStates(blnS);
    clsIni().SaveIniString("SETUP", "SHADE_STATE", Variant::boolean(blnS));
}

void clsCpanel::mfrmCpanel_OnewayShow(bool blnW) {
    server().blnOnewayShow(blnW);
    clsIni().SaveIniString("SETUP", "ONEWAY_SHOW", Variant::boolean(blnW));
}

void clsCpanel::mfrmCpanel_OvlFile(const std::string& strOvlFile) {
    server().strOvlFile(strOvlFile);
    clsIni().SaveIniString("SETUP", "OVERLAY", Variant(strOvlFile));
}

void clsCpanel::mfrmCpanel_UnderFile(const std::string& strUnderFile) {
    server().strUnderFile(strUnderFile);
    clsIni().SaveIniString("SETUP", "UNDERLAY", Variant(strUnderFile));
}

void StripTrailingBackslash(std::string& path) {
    if (path.size() > 3 && is_path_separator(path.back())) path.pop_back();
}

std::string GetParentFolder(const std::string& path) {
    std::size_t i = path.size();  // 1-based position of the character looked at
    while (i >= 2 && !is_path_separator(path[i - 1])) --i;
    if (i > 2) return path[i - 2] == ':' ? path.substr(0, i) : path.substr(0, i - 1);
    return {};
}

std::string BrowseFolder(const std::string& title, const std::string& start_folder) {
    frmDummy owner;
    owner.Load();
    owner.Move(platform::screen_width_twips() / 4, platform::screen_height_twips() / 4);
    clsFolderBrowser browser;
    browser.lnghWndOwner(static_cast<std::int32_t>(owner.hWnd()));
    browser.strTitle(title);
    std::string chosen = browser.strFolder(start_folder);
    owner.Unload();
    return chosen;
}

std::string BrowseForDataFolder(const std::string& current_folder, const std::string& label) {
    std::string start;
    try {
        if (!current_folder.empty() && FileExists(current_folder)) start = current_folder;
    } catch (...) {
        start.clear();
    }
    return BrowseFolder("Browse to the Kartovex V7 " + label + " folder", start);
}

}  // namespace tolm::server
