#pragma once

#include <string>

// Folders shared by every server object of the process: the client's program folder as its saved
// setting gives it, and the server's overlay and underlay folders, each ending with a separator.
namespace tolm::server {

inline std::string strHostFolder;
inline std::string strOverlaysFolder;
inline std::string strUnderlaysFolder;

}  // namespace tolm::server
