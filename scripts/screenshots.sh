#!/usr/bin/env bash
# Photographs the server's windows (the search dialog, its message boxes, the folder dialog...) on a
# virtual X display with Wine's X11 driver, one PNG per window.
#
#   scripts/screenshots.sh [build folder] [output folder] [window name...]
#       defaults: build/windows, build/screenshots, every window tolm_screenshots knows
#
# Fails when a window did not appear or a picture is missing. Uses its own Wine prefix
# (build/wine-prefix-x11), so the test harness's headless prefix is left alone.
# The list of windows is in tests/ui/win32/screenshots/screenshots.cpp (one line per window).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="${1:-build/windows}"
out="${2:-build/screenshots}"
shift $(( $# > 2 ? 2 : $# )) || true
program="$build/bin/tolm_screenshots.exe"
[ -f "$program" ] || { echo "screenshots.sh: no $program (build the Windows tree first)" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "screenshots.sh: xvfb-run is missing (scripts/install-deps.sh)" >&2; exit 2; }

export TOLM_WINEPREFIX="$root/build/wine-prefix-x11"
export WINEPREFIX="$TOLM_WINEPREFIX" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
bash scripts/wine-run.sh --prepare </dev/null
if [ ! -f "$WINEPREFIX/.tolm-x11-ready" ]; then
  # A real graphics driver; Wine draws the window frames itself, as there is no window manager.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tolm-x11-ready"
fi

mkdir -p "$out"
rm -f "$out"/*.png
out_windows="Z:$(cd "$out" && pwd | sed 's|/|\\|g')"
names=("$@")
status=0
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  wine "$program" "$out_windows" "${names[@]}" </dev/null | tr -d '\r' || status=$?
wineserver -k >/dev/null 2>&1 || true

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
