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

if [ "${TOLM_SKIP_SANITIZE:-0}" != 1 ]; then
  # The whole Linux suite again under AddressSanitizer and UndefinedBehaviorSanitizer (clang, -O1,
  # its own build folder), then every fuzz target on its seed corpus (docs/fuzzing.md).
  echo "== Sanitized build (clang, ASan+UBSan, libFuzzer)"
  CC=clang CXX=clang++ cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
        -DTOLM_SANITIZE=address,undefined -DTOLM_FUZZ=ON -DTOLM_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build build/sanitize -j "$jobs"
  echo "== Linux tests under ASan+UBSan"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$root/tests/sanitize/lsan.supp" \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs" --timeout 600
  echo "== Fuzz targets, ${TOLM_FUZZ_SECONDS:-60} s each"
  # The full run, 60 s a target; TOLM_FUZZ_SECONDS gives a shorter slice for a quick try.
  TOLM_FUZZ_SEED=${TOLM_FUZZ_SEED:-1} bash scripts/fuzz.sh --build build/sanitize --time "${TOLM_FUZZ_SECONDS:-60}"
fi

if [ "${TOLM_SKIP_WINDOWS:-0}" != 1 ]; then
  # The installer carries the default map product; its tests draw from it.
  if [ ! -f build/default-data/Kartovex/MAP.INI ]; then
    bash scripts/build-default-data.sh --build build/linux ||
      echo "warning: no default map product; the installer is built without map data" >&2
  fi
  echo "== Windows build (i686, MinGW-w64)"
  cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build build/windows -j "$jobs"
  case "$(bash scripts/wine-arch.sh || true)" in
    win32)
      echo "== Windows tests under Wine"
      bash scripts/wine-tests.sh build/windows
      echo "== Pictures of the server's windows (Xvfb, Wine's X11 driver)"
      bash scripts/screenshots.sh build/windows build/screenshots
      ;;
    win64)
      # Some virtual machines cannot run 32-bit Linux programs, and so not Wine's 32-bit loader. The
      # same sources are then built for 64-bit Windows and tested under Wine's 64-bit loader.
      echo "== This machine cannot run 32-bit programs: the Windows tests run on the 64-bit build (x86_64, MinGW-w64)"
      cmake -S . -B build/windows64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
      cmake --build build/windows64 -j "$jobs"
      echo "== Windows tests under Wine (64-bit)"
      bash scripts/wine-tests.sh build/windows64
      echo "== No pictures of the server's windows: scripts/screenshots.sh has made them only from the 32-bit build"
      ;;
    *)
      echo "test.sh: Wine cannot run here (scripts/install-deps.sh installs it)" >&2
      exit 1
      ;;
  esac
fi
