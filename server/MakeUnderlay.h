#pragma once

#include "platform/window_system.h"

#include <string>

// Underlay creation: turns one of the client's image maps (a picture beside a map INF file in the
// client's Maps folder) into an underlay of the server, a Windows bitmap and its extent file in the
// server's underlay folder. It works on files alone and reports to the user by message boxes only;
// the current underlay choice is not changed.
namespace tolm::server {

// The control panel's Make Underlay item: asks for the INF file (the open-file dialog owned by
// `owner`, starting in the client's Maps folder) and makes the underlay from it.
void MakeUnderlay(platform::WindowHandle owner);

// The same without the dialog, from an INF file already chosen; what the command-line host uses.
void MakeUnderlayFromInf(const std::string& inf_path);

// The picture that goes with a map INF file: the INF's path less its three extension letters, then
// BMP, GIF, JPG, PNG or EMF, the first that exists. On a file system that tells case apart, a
// picture whose name differs only in case ("Town.jpg" for "Town.JPG") is found too, as the desktop
// would find it. Empty when there is none.
std::string FindUnderlayPicture(const std::string& inf_path);

}  // namespace tolm::server
