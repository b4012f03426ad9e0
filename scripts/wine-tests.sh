#!/usr/bin/env bash
# Runs the tests of the Windows cross-build under Wine: the INI and registry suites against the real
# Windows functions, the other areas' suites, and the client's view of TolmServer7.dll (regsvr32,
# a C++ client by vtable and IDispatch, a VBScript client, regsvr32 /u).
#
#   scripts/wine-tests.sh [build folder]     (default build/windows)
#
# Headless and unattended: no X server is needed, nothing reads stdin, the prefix is made on first
# use (scripts/wine-run.sh) and one wineserver serves every test and is stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="${1:-build/windows}"
[ -d "$build" ] || { echo "wine-tests.sh: no build folder $build" >&2; exit 2; }

# A 64-bit build runs in a 64-bit prefix with Wine's 64-bit programs (see scripts/wine-arch.sh).
if grep -q 'CMAKE_CXX_SIZEOF_DATA_PTR "8"' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake 2>/dev/null; then
  export TOLM_WINEARCH=win64
  export TOLM_WINEPREFIX="${TOLM_WINEPREFIX:-$root/build/wine-prefix64}"
  wine() { /usr/lib/wine/wine64 "$@"; }
  wineserver() { /usr/lib/wine/wineserver64 "$@"; }
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
else
  export TOLM_WINEARCH=win32
  export TOLM_WINEPREFIX="${TOLM_WINEPREFIX:-$root/build/wine-prefix}"
fi
export WINEPREFIX="$TOLM_WINEPREFIX" WINEARCH="$TOLM_WINEARCH" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY

bash scripts/wine-run.sh --prepare </dev/null

# One server for all test processes saves starting one per test; it goes when the tests are done,
# whatever their result, so that no Wine process outlives the run.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p </dev/null
trap 'wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true' EXIT
# Wine's background processes start now, on /dev/null, not inside the first test's output pipe.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 900 </dev/null
