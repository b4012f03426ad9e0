#pragma once

#include <string>

// Where the running code lives, as the runtime's App.Path and App.EXEName report it: the shared
// library or program that contains this code, not the process's executable.
namespace tolm::platform {

// The module's folder, without a trailing separator except at a drive or file-system root.
std::string module_folder();
// The module's file name without its extension ("TolmServer7" for TolmServer7.dll / libTolmServer7.so).
std::string module_base_name();
// The module's full path.
std::string module_path();
// The path separator the client's paths use on this platform ("\" on Windows, "/" elsewhere).
char path_separator();

namespace detail {
// The rules behind module_folder and module_base_name, for any module path.
std::string folder_of(const std::string& path);
std::string base_name_of(const std::string& path);
}  // namespace detail

}  // namespace tolm::platform
