#!/usr/bin/env bash
# Photographs the server's windows (the search dialog, its message boxes, the folder dialog...) on a
# virtual X display with Wine's X11 driver, one PNG per window.
#
#   scripts/screenshots.sh [build folder] [output folder] [window name...]
#       defaults: build/windows (build/windows64 where this machine cannot run 32-bit programs,
#       scripts/wine-arch.sh), build/screenshots, every window tolm_screenshots knows
#
# Fails when a window did not appear or a picture is missing. Uses its own Wine prefix
# (build/wine-prefix-x11, or build/wine-prefix64-x11 for the 64-bit build), so the test harness's
# headless prefix is left alone.
# The list of windows is in tests/ui/win32/screenshots/screenshots.cpp (one line per window).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
arch=$(bash scripts/wine-arch.sh || true)
[ -n "$arch" ] || { echo "screenshots.sh: Wine cannot run here (scripts/install-deps.sh installs it)" >&2; exit 2; }
default_build=build/windows
[ "$arch" = win64 ] && default_build=build/windows64
build="${1:-$default_build}"
out="${2:-build/screenshots}"
shift $(( $# > 2 ? 2 : $# )) || true
program="$build/bin/tolm_screenshots.exe"
[ -f "$program" ] || { echo "screenshots.sh: no $program (build the Windows tree first)" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "screenshots.sh: xvfb-run is missing (scripts/install-deps.sh)" >&2; exit 2; }

# A 64-bit program needs Wine's 64-bit loader and a 64-bit prefix (Debian's wine wrapper would pick
# the 32-bit loader whenever it is installed).
if [ "$arch" = win64 ]; then
  export TOLM_WINEARCH=win64 TOLM_WINEPREFIX="$root/build/wine-prefix64-x11"
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  wine=("$WINELOADER") wineserver=("$WINESERVER")
else
  export TOLM_WINEARCH=win32 TOLM_WINEPREFIX="$root/build/wine-prefix-x11"
  wine=(wine) wineserver=(wineserver)
fi
export WINEPREFIX="$TOLM_WINEPREFIX" WINEARCH="$TOLM_WINEARCH" WINEDEBUG="${TOLM_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
bash scripts/wine-run.sh --prepare </dev/null
if [ ! -f "$WINEPREFIX/.tolm-x11-ready" ]; then
  # A real graphics driver; Wine draws the window frames itself, as there is no window manager.
  "${wine[@]}" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f </dev/null >/dev/null 2>&1
  "${wine[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  "${wine[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  "${wineserver[@]}" -w
  touch "$WINEPREFIX/.tolm-x11-ready"
fi

mkdir -p "$out"
rm -f "$out"/*.png
out_windows="Z:$(cd "$out" && pwd | sed 's|/|\\|g')"
names=("$@")
status=0
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  "${wine[@]}" "$program" "$out_windows" "${names[@]}" </dev/null | tr -d '\r' || status=$?
# The prefix's wineserver goes with the display, so nothing of this run is left behind.
"${wineserver[@]}" -k >/dev/null 2>&1 || true

# Every window the program knows (or was asked for) must have its picture.
expected=("${names[@]}")
if [ ${#expected[@]} -eq 0 ]; then
  mapfile -t expected < <(grep -o '{"[a-z0-9-]*",' tests/ui/win32/screenshots/screenshots.cpp | tr -d '{",')
fi
for name in "${expected[@]}"; do
  if [ ! -s "$out/$name.png" ]; then
    echo "screenshots.sh: no picture of $name" >&2
    status=1
  fi
done
[ "$status" = 0 ] && echo "screenshots.sh: ${#expected[@]} pictures in $out"
exit "$status"
