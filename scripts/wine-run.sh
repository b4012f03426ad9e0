#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own 32-bit prefix, the way the tests need it:
# no display (Wine's null graphics driver), no crash dialogs, no installer prompts, stdin closed.
# The prefix is created on first use and reused afterwards; concurrent callers wait for one another
# while it is being created.
#
#   scripts/wine-run.sh program.exe [arguments...]   run a program (its exit code is returned)
#   scripts/wine-run.sh --prepare                     only make sure the prefix exists
#
# TOLM_WINEPREFIX chooses another prefix (default: <repository>/build/wine-prefix); a WINEPREFIX of
# the caller's own is deliberately not used, so tests never touch a user's Wine set-up.
# TOLM_WINEARCH=win64 runs 64-bit programs in a 64-bit prefix (default build/wine-prefix64) with Wine's
# 64-bit loader: the fallback for machines that cannot run 32-bit programs (scripts/wine-arch.sh).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH="${TOLM_WINEARCH:-win32}"
if [ "$WINEARCH" = win64 ]; then
  export WINEPREFIX="${TOLM_WINEPREFIX:-$root/build/wine-prefix64}"
else
  export WINEPREFIX="${TOLM_WINEPREFIX:-$root/build/wine-prefix}"
fi
export WINEDEBUG="${TOLM_WINEDEBUG:--all}"
# mscoree and mshtml would offer to download Mono and Gecko; the menu builder is of no use here.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

if [ "$WINEARCH" = win64 ]; then
  # Debian's wine wrapper prefers the 32-bit loader whenever it is installed.
  wine_bin=/usr/lib/wine/wine64
  wineserver_bin=/usr/lib/wine/wineserver64
  [ -x "$wine_bin" ] || wine_bin=""
  [ -x "$wineserver_bin" ] || wineserver_bin=""
  export WINELOADER="$wine_bin" WINESERVER="$wineserver_bin"
else
  wine_bin=$(command -v wine || true)
  wineserver_bin=$(command -v wineserver || true)
fi
if [ -z "$wine_bin" ] || [ -z "$wineserver_bin" ]; then
  echo "wine-run.sh: wine is not installed (scripts/install-deps.sh installs it)" >&2
  exit 127
fi

settings() {
  # Written with wine's own reg tool so the keys land in the prefix whatever its age.
  cat <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS Sans Serif"="Liberation Sans"
"Microsoft Sans Serif"="Liberation Sans"
"Arial"="Liberation Sans"
"Tahoma"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
REG
}

prepare_prefix() {
  local marker="$WINEPREFIX/.tolm-prefix-ready"
  [ -f "$marker" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$marker" ]; then
    echo "wine-run.sh: preparing the 32-bit Wine prefix $WINEPREFIX" >&2
    "$wine_bin" wineboot -i </dev/null >/dev/null 2>&1
    local reg_file="$WINEPREFIX/drive_c/tolm-settings.reg"
    settings | sed 's/$/\r/' >"$reg_file"
    "$wine_bin" regedit /S 'C:\tolm-settings.reg' </dev/null >/dev/null 2>&1
    if ! "$wine_bin" reg query 'HKCU\Software\Wine\Drivers' /v Graphics </dev/null 2>/dev/null | grep -q null; then
      echo "wine-run.sh: could not configure the prefix $WINEPREFIX" >&2
      flock -u 9
      return 1
    fi
    touch "$marker"
  fi
  flock -u 9
  exec 9>&-
}

if [ "${1:-}" = "--prepare" ]; then
  prepare_prefix
  exit $?
fi

if [ $# -eq 0 ]; then
  echo "usage: wine-run.sh program [arguments...] | --prepare" >&2
  exit 2
fi

prepare_prefix || exit 1

# Wine's background processes (services, device drivers) start with the first program and inherit
# its standard output. Were that the pipe of a test runner, the runner would wait for them long after
# the test ended. So the server is kept a little while and they are started here on /dev/null; a
# server that is already running (scripts/wine-tests.sh keeps one) is simply used.
"$wineserver_bin" -p30 </dev/null >/dev/null 2>&1 || true
"$wine_bin" cmd /c exit </dev/null >/dev/null 2>&1 || true

# Console programs write CR LF; tools that read their output (test discovery) expect LF.
"$wine_bin" "$@" </dev/null | tr -d '\r'
exit "${PIPESTATUS[0]}"
