#pragma once

#include <functional>
#include <string>

namespace tolm::server {

class clsMapServ;

// The control panel controller. This build carries what start-up needs: LoadIni, which reads the
// whole settings file, and the discovery of the engine's five data folders from the product's
// MAP.INI with its dialogs. Showing the panel itself is not part of this build.
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

    // Shows the panel modally. Not part of this build: raises a run-time error naming itself.
    void ShowControlPanel();

    // Raised when the about box asks for the engine's own about box.
    std::function<void()> AboutCartix;

private:
    void discover_data_paths(std::string& data1, std::string& data2, std::string& data3, std::string& states0,
                             std::string& states1, bool easy_setup);

    clsMapServ* m_parent = nullptr;
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
