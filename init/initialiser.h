#pragma once

#include <string>

// InitTolmServer7: run once by the installation, after the server library, this program and the
// server's data files were copied into one program folder. It puts the server's map entry file into
// the client's map list, carries the shading settings and favourite views of the previous server
// generation over, and tells the user in one message box what to do next.
namespace tolm::init {

// The program's title, on its one message box.
inline constexpr const char* k_title = "Initialise TolmServer7";

// The messages, word for word.
inline constexpr const char* k_never_run_text =
    "You appear to be installing TolmServer7 on a PC on which Wendal32 has never been run. To complete the "
    "installation, you must manually copy !!TolmServer7.INF from the TolmServer7 program folder to the "
    "Wendal32\\Maps folder.";
inline constexpr const char* k_missing_entry_text =
    "!!TolmServer7.INF should be in the TolmServer7 program folder, but it cannot be found. You must manually "
    "copy !!TolmServer7.INF into your Wendal32 Maps folder.";
inline constexpr const char* k_done_text =
    "To use TolmServer7, select 'Kartovex V7 Server' in the Wendal32 'Load A Map' list.";
inline constexpr const char* k_old_server_text =
    "A copy of TolmServer for Kartovex V5 has been found on your system. If you no longer wish to use this old "
    "version of TolmServer, then delete !!TolmServer.INF in the Wendal32 Maps folder. If you installed TolmServer "
    "for Kartovex V5 as a separate application, and not as part of the Wendal32 installation, then, if you wish, "
    "you can uninstall it from Control Panel, Add/Remove Programs - it will be listed as TolmServer.";

// The previous generation's ProgID.
inline constexpr const char* k_previous_prog_id = "TolmServer6.clsMapServ";

// The folder of the library registered for a ProgID, ending with its separator: ProgID\CLSID under
// HKEY_CLASSES_ROOT gives the class identifier, CLSID\<identifier>\InprocServer32 the library's
// path. Empty when anything is missing, the path names no folder, or a lookup fails.
std::string registered_server_folder(const std::string& prog_id) noexcept;

// Carries the previous generation's five SETUP keys and its favourites file over to the server in
// program_folder, unless that server has a settings file of its own. True when the previous server
// was found and migrated; any error ends the migration with false, and what it wrote stays written.
bool migrate_previous_server(const std::string& program_folder) noexcept;

// The main procedure, for the program in program_folder (no trailing separator). Shows at most one
// message box, through the current window system; a run-time error on the way ends the run at once
// without a message, leaving done what was done.
void run_initialiser(const std::string& program_folder) noexcept;

// The files one run reads and writes, for a program in program_folder and a client in host_folder.
std::string map_entry_source(const std::string& program_folder);
std::string map_entry_target(const std::string& host_folder);
std::string new_settings_file(const std::string& program_folder);
std::string new_favourites_file(const std::string& program_folder);

}  // namespace tolm::init
