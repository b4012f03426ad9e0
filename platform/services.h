#pragma once

#include "platform/window_system.h"

#include <cstdint>
#include <string>

// Services of the platform that the server and the initialiser use besides windows: a named mutex,
// file existence, the top-level window check, the screen, the module's identity as the runtime's App
// object reports it, the runtime's per-user saved settings and the help file.
namespace tolm::platform {

// ---- Named mutex -------------------------------------------------------------------------------

enum class MutexCreation { created, opened_existing, failed };

// CreateMutexA(default security, not owned, name). The handle is neither kept nor closed: the mutex
// lives as long as the process. A second creation of the same name opens the existing mutex. On Linux
// the mutex is a marker held for the life of the process.
MutexCreation create_named_mutex(const std::string& name);

// True while a mutex of that name exists (on Linux: was made in this process).
bool named_mutex_exists(const std::string& name);

// ---- Files ---------------------------------------------------------------------------------------

// True when the path's attributes can be read: files and directories both count.
bool file_exists(const std::string& path) noexcept;

// ---- Windows and the screen ----------------------------------------------------------------------

// The first top-level window titled exactly `title`, or 0. Asks the current window system.
WindowHandle find_window_by_title(const std::string& title);

// Screen.Width and Screen.Height, in twips.
std::int32_t screen_width_twips();
std::int32_t screen_height_twips();

// ---- The module as the runtime's App object reports it ------------------------------------------

// App.Path: the module's folder.
std::string app_path();
// App.EXEName: the module's file name without extension.
std::string app_exe_name();
// App.Title: the module's base name unless set.
std::string app_title();
void set_app_title(const std::string& title);
// App.HelpFile: the help file that F1 opens; empty until set.
std::string app_help_file();
void set_app_help_file(const std::string& path);

// ---- The runtime's saved settings ---------------------------------------------------------------

// Where GetSetting and SaveSetting keep a section, under HKEY_CURRENT_USER.
std::string saved_settings_key(const std::string& application, const std::string& section);

// GetSetting: the value of key in HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// or default_value when it is missing or unreadable.
std::string get_setting(const std::string& application, const std::string& section, const std::string& key,
                        const std::string& default_value = {});

// SaveSetting: writes the value as REG_SZ, creating the keys. Raises run-time error 5 when an argument
// is empty or the store refuses, as the runtime does.
void save_setting(const std::string& application, const std::string& section, const std::string& key,
                  const std::string& value);

// DeleteSetting of one key (key given) or of a whole section (key empty). Raises error 5 when nothing
// of that name exists.
void delete_setting(const std::string& application, const std::string& section, const std::string& key = {});

// ---- Help ----------------------------------------------------------------------------------------

// The server's help file name, kept beside the library.
constexpr const char* help_file_name = "TolmServer6.HLP";

// The help file's path in a folder: one separator between them, also when the folder ends with one.
std::string help_file_in(const std::string& folder);

// Remembers the window as the owner of later help calls and sets App.HelpFile to the module's folder
// followed by the help file name (one separator, also when the folder ends with one).
void InitHelp(WindowHandle owner);
// WinHelp(owner, help file, HELP_CONTEXT, topic).
void ShowHelpTopic(std::int32_t topic);
// WinHelp(owner, help file, HELP_QUIT, 0): closes the help window if this module opened it.
void CloseHelp();

// ---- Native functions of the platform -------------------------------------------------------------
// What a window system backend for the real desktop builds on. On Linux there is no desktop: no
// windows are found, the screen is the headless default and help calls go nowhere.
namespace native {
WindowHandle find_window(const std::string& title);
ScreenMetrics screen_metrics();
void win_help(WindowHandle owner, const std::string& help_file, std::uint32_t command, std::uintptr_t data);
}  // namespace native

}  // namespace tolm::platform
