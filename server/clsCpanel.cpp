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
        discover_data_paths(strD1, strD2, strD3, strS0, strS1, true);
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
    discover_data_paths(strD1, strD2, strD3, strS0, strS1, false);
}

void clsCpanel::discover_data_paths(std::string& data1, std::string& data2, std::string& data3,
                                    std::string& states0, std::string& states1, bool easy_setup) {
    inform(easy_setup ? std::string(k_request_text)
                      : std::string("You need to tell TolmServer7 the location of your Kartovex V7 data files. ") +
                            k_request_text);

    const std::string folder = BrowseFolder("Browse to the Kartovex V7 program folder", program_files_guess());
    if (folder.empty()) {
        inform(k_closing_text);
        return;
    }
    const std::string map_ini = join_path(folder, "MAP.INI");
    if (!FileExists(map_ini)) {
        inform(std::string("The directory you selected does not contain MAP.INI. ") + k_closing_text);
        return;
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
}

void clsCpanel::ShowControlPanel() {
    throw RuntimeError(runtime_errors::object_error_base + 1001, k_error_source,
                       "clsCpanel.ShowControlPanel: the control panel is not available yet in this build of "
                       "TolmServer7");
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
