#!/usr/bin/env bash
# Prints which Windows programs this machine's Wine can run: "win32" where 32-bit Linux programs run
# (Wine's 32-bit loader), "win64" where only 64-bit ones do (some virtual machines have no 32-bit
# support in their kernel), nothing and exit 1 where Wine is missing.
#
# The product is the 32-bit DLL (the client is a 32-bit program). Where only "win64" is possible, the
# tests run on the 64-bit build of the same sources instead, and scripts/test.sh says so.
set -uo pipefail
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
elif [ -x /usr/lib/wine/wine64 ] && /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
  echo win64
else
  exit 1
fi
