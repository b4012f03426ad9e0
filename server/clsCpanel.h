#pragma once

#include "server/forms/frmCpanel.h"

#include <functional>
#include <string>

namespace tolm::server {

class clsMapServ;

// The control panel controller. LoadIni reads the whole settings file at start-up and, when data
// folders are missing, discovers them from the product's MAP.INI with its dialogs. ShowControlPanel
// shows the panel form and handles its events: each option change is applied to the server first and
// saved to the settings file second, one key through a fresh clsIni; White Background is applied and
// saved when the panel closes.
class clsCpanel {
public:
    clsCpanel();
    ~clsCpanel();
    clsCpanel(const clsCpanel&) = delete;
    clsCpanel& operator=(const clsCpanel&) = delete;

    // The owning server, set before the panel is shown.
    void Parent(clsMapServ* server) noexcept { m_parent = server; }

    // Reads SETUP and PATHS of the settings file. Path outputs keep the caller's values unless the
    // file or discovery gives them. A Boolean key that cannot be converted (an empty value included)
    // raises the runtime's type-mismatch error. blnStartAgain (Easy Setup) skips PATHS and always
    // runs discovery.
    void LoadIni(std::string& strD1, std::string& strD2, std::string& strD3, std::string& strS0, std::string& strS1,
                 bool& blnMono, bool& blnShadeMcd, bool& blnShadeCounties, bool& blnShadePlaces, bool& blnShadeStates,
                 bool& blnWhiteBackground, bool& blnOnewayShow, std::string& strOvlFile, std::string& strUnderFile,
                 bool blnStartAgain);

    // Shows the panel modally and returns when it has closed (Exit or its window closed).
    void ShowControlPanel();

    // Raised when the about box asks for the engine's own about box.
    std::function<void()> AboutCartix;

private:
    // Returns false when discovery ended without a product folder (cancelled, or no MAP.INI in the
    // folder chosen): then no output changed and nothing was written.
    bool discover_data_paths(std::string& data1, std::string& data2, std::string& data3, std::string& states0,
                             std::string& states1, bool easy_setup);

    // Handlers of the panel's events, in the order the form declares them.
    void mfrmCpanel_EasySetup();
    void mfrmCpanel_Data1();
    void mfrmCpanel_Data2();
    void mfrmCpanel_Data3();
    void mfrmCpanel_States0();
    void mfrmCpanel_States1();
    void mfrmCpanel_Monochrome(bool blnM);
    void mfrmCpanel_AboutCartix();
    void mfrmCpanel_ShadeCounties(bool blnS);
    void mfrmCpanel_ShadeMCD(bool blnS);
    void mfrmCpanel_ShadePlaces(bool blnS);
    void mfrmCpanel_ShadeStates(bool blnS);
    void mfrmCpanel_OnewayShow(bool blnW);
    void mfrmCpanel_OvlFile(const std::string& strOvlFile);
    void mfrmCpanel_UnderFile(const std::string& strUnderFile);

    clsMapServ& server() const;
    void connect_events();

    clsMapServ* m_parent = nullptr;
    // The panel, only while it is shown.
    forms::FormPtr<frmCpanel> mfrmCpanel;
    // Whether the last discovery found a product folder.
    bool m_discovery_found_folder = false;
};

// A folder path without its one trailing backslash, unless it is 3 characters or shorter (C:\).
void StripTrailingBackslash(std::string& path);

// The parent of a folder: "D:\Maps\Data1" gives "D:\Maps", "D:\Data1" gives "D:\", and a path with
// no backslash after its second character gives "".
std::string GetParentFolder(const std::string& path);

// The folder browse dialog, owned by a hidden form placed at a quarter of the screen; the chosen
// folder, or "" when cancelled.
std::string BrowseFolder(const std::string& title, const std::string& start_folder);

// The title "Browse to the Kartovex V7 <label> folder", starting at the current folder when it exists.
std::string BrowseForDataFolder(const std::string& current_folder, const std::string& label);

}  // namespace tolm::server
