#include "common/clsFolderBrowser.h"

#include "platform/text.h"
#include "ui/current_window_system.h"

namespace tolm {

std::string clsFolderBrowser::strFolder(const std::string& sSelPath) {
    platform::FolderBrowseRequest request;
    request.owner = static_cast<platform::WindowHandle>(static_cast<std::uint32_t>(m_owner));
    request.title = m_title;
    // No root: the tree starts at the desktop. Only file-system folders can be chosen.
    request.flags = platform::browse_flags::return_only_file_system_folders;
    if (m_dont_go_below_domain) request.flags |= platform::browse_flags::dont_go_below_domain;

    // The dialog reads the start folder while it opens, so the copy lives until the dialog has closed.
    std::string selection;
    if (!sSelPath.empty()) {
        selection = utf8_to_ansi(sSelPath);
        request.callback = &BrowseCallback;
        request.callback_data = reinterpret_cast<std::intptr_t>(selection.c_str());
    }

    const platform::FolderBrowseAnswer chosen = platform::window_system().browse_for_folder(request);
    if (!chosen) return {};
    // The shell's buffer holds a NUL-terminated text.
    return chosen->substr(0, chosen->find('\0'));
}

std::int32_t BrowseCallback(platform::WindowHandle hWnd, std::uint32_t uMsg, std::intptr_t, std::intptr_t lpData) {
    if (uMsg == platform::BFFM_INITIALIZED) {
        platform::window_system().send_message(hWnd, platform::BFFM_SETSELECTIONA, 1, lpData);
    }
    return 0;
}

}  // namespace tolm
