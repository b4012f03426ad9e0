#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <string>

namespace tolm {

// The shell's folder browse dialog: the caller gives an owner window, a title and optionally a folder
// to select when the dialog opens, and gets back the folder the user picked.
class clsFolderBrowser {
public:
    clsFolderBrowser() = default;

    // Write-only properties.
    void lnghWndOwner(std::int32_t lngH) { m_owner = lngH; }
    void blnDontGoBelowDomain(bool blnD) { m_dont_go_below_domain = blnD; }
    void strTitle(const std::string& strT) { m_title = strT; }

    // Shows the dialog, modal to the owner, with sSelPath selected when it is not empty. Returns the
    // chosen folder's full path (a drive root with its "\", any other folder without one), or an empty
    // text when the user cancels or picks something that is not a file-system folder.
    std::string strFolder(const std::string& sSelPath);

private:
    std::int32_t m_owner = 0;
    bool m_dont_go_below_domain = false;
    std::string m_title;
};

// The folder dialog's selection callback: once the dialog has opened it selects the folder whose ANSI
// path the caller's data points to. Returns 0 for every message.
std::int32_t BrowseCallback(platform::WindowHandle hWnd, std::uint32_t uMsg, std::intptr_t lParam,
                            std::intptr_t lpData);

}  // namespace tolm
