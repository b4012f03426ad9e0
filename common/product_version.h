#pragma once

// The server library's version and its credit lines, written once for both builds: the Windows
// version resource (server/frame/win32/TolmServer7.rc) is compiled from these macros, and the Linux
// build, which has no version resource, shows the same values. Plain #defines only, so that the
// resource compiler can read this file as well as the C++ compiler.
#define TOLM_VERSION_MAJOR 7
#define TOLM_VERSION_MINOR 0
#define TOLM_VERSION_BUILD 0
#define TOLM_VERSION_REVISION 7
#define TOLM_VERSION_TEXT "7.00.0007"

#define TOLM_VERSION_COMMENTS "Map server for Wendal32, built on our own map engine and open map data"
#define TOLM_VERSION_FILE_DESCRIPTION "Map server for Wendal32 that draws its maps from Kartovex map data"
#define TOLM_VERSION_LEGAL_COPYRIGHT "Copyright (C) 2026 the TolmServer7 developers"
