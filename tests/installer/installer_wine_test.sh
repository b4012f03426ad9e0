#!/usr/bin/env bash
# TolmServer7-Setup.exe under Wine, as a user's scripted installation runs it: a fresh prefix with a
# stand-in client (its saved setting "Program Folder" and its Maps folder), a silent install, the
# map entry file in the client's Maps folder, the server created by its ProgID drawing the default
# map without a dialog, then a silent uninstall that leaves none of our keys and keeps the user's
# settings.
#
#   installer_wine_test.sh SETUP.exe PROBE.exe ENTRY_FILE WORK_FOLDER
set -euo pipefail
setup=$1 probe=$2 entry=$3 work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)

rm -rf "$work"
mkdir -p "$work"
export TOLM_WINEPREFIX="$work/prefix"
# TOLM_WINEARCH=win64 for the 64-bit build (its installer is a 64-bit program too).
export WINEARCH="${TOLM_WINEARCH:-win32}"
export WINEPREFIX="$TOLM_WINEPREFIX" WINEDEBUG=-all
wineserver_bin=$(command -v wineserver || echo wineserver)
if [ "$WINEARCH" = win64 ]; then
  wineserver_bin=/usr/lib/wine/wineserver64
fi
run() { bash "$root/scripts/wine-run.sh" "$@"; }
fail() { echo "installer test: $*" >&2; exit 1; }
trap '"$wineserver_bin" -k >/dev/null 2>&1 || true' EXIT

run --prepare
drive_c="$WINEPREFIX/drive_c"
folder="$drive_c/Program Files/TolmServer7"
maps="$drive_c/Wendal32/Maps"

# The stand-in client has run once: its folder and its saved setting exist.
mkdir -p "$maps"
run reg add 'HKCU\Software\VB and VBA Program Settings\Orvensa\Wendal32' /v 'Program Folder' /t REG_SZ \
    /d 'C:\Wendal32\' /f >/dev/null

echo "== silent install"
run "$setup" /S || fail "the installer failed ($?)"
for f in TolmServer7.dll InitTolmServer7.exe tolm-import.exe '!!TolmServer7.INF' statell.dat countyll.dat Uninstall.exe \
         Kartovex/MAP.INI Kartovex/States/boundaries.pack TolmServer7.INI; do
  [ -f "$folder/$f" ] || fail "$f was not installed"
done
grep -qF 'Data1Path=C:\Program Files\TolmServer7\Kartovex\Data1' "$folder/Kartovex/MAP.INI" ||
  fail "MAP.INI does not name the installed product: $(cat "$folder/Kartovex/MAP.INI")"

echo "== the initialiser's map entry file"
for _ in $(seq 1 60); do
  [ -f "$maps/!!TolmServer7.INF" ] && break
  sleep 1
done
cmp "$entry" "$maps/!!TolmServer7.INF" || fail "the map entry file did not reach the client's Maps folder"
# Its message box waits for a user that a silent installation does not have.
run taskkill /f /im InitTolmServer7.exe >/dev/null 2>&1 || true

echo "== the client's view of the installed server"
TOLM_INSTALLED_FOLDER='C:\Program Files\TolmServer7' run "$probe" --gtest_filter='InstalledServer.*' ||
  fail "the installed server failed the client's checks"

echo "== silent uninstall"
# The uninstaller copies itself to the temporary folder and works from there; wait for it.
run "$folder/Uninstall.exe" /S || fail "the uninstaller failed ($?)"
for _ in $(seq 1 120); do
  [ ! -e "$folder/Uninstall.exe" ] && [ ! -e "$folder/TolmServer7.dll" ] && break
  sleep 1
done
run "$probe" --gtest_filter='AfterUninstall.*' || fail "the uninstaller left keys of ours"
for f in TolmServer7.dll InitTolmServer7.exe statell.dat Kartovex/MAP.INI Kartovex/States/boundaries.pack Uninstall.exe; do
  [ ! -e "$folder/$f" ] || fail "$f was not removed"
done
[ -f "$folder/TolmServer7.INI" ] || fail "the user's settings file was removed without being asked to"
[ ! -e "$maps/!!TolmServer7.INF" ] || fail "the map entry file is still in the client's Maps folder"
echo "installer test: passed"
