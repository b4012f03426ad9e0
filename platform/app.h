#pragma once

#include <string>

// The module as the runtime's App object reports it. The App object belongs to the module (the server
// library has its own, the host program its own), so these are module-level values.
namespace tolm::platform {

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

// The server's help file name, kept beside the library.
constexpr const char* help_file_name = "TolmServer6.HLP";

// The help file's path in a folder: one separator between them, also when the folder ends with one.
std::string help_file_in(const std::string& folder);

}  // namespace tolm::platform
