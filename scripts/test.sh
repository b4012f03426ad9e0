#!/usr/bin/env bash
# Builds everything (Linux and the 32-bit Windows cross-build) and runs every test.
# Installs what it needs first; safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

jobs=$(nproc)

echo "== Linux build"
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/linux -j "$jobs"
echo "== Linux tests"
ctest --test-dir build/linux --output-on-failure -j "$jobs"

if [ "${TOLM_SKIP_WINDOWS:-0}" != 1 ]; then
  echo "== Windows build (i686, MinGW-w64)"
  cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build build/windows -j "$jobs"
  if [ -x scripts/wine-tests.sh ]; then
    echo "== Windows tests under Wine"
    bash scripts/wine-tests.sh build/windows
    echo "== Screenshots of the server's windows (Xvfb, Wine's X11 driver)"
    bash scripts/screenshots.sh build/windows build/screenshots
  fi
fi
