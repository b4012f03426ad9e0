#!/usr/bin/env bash
# Installs what the builds, tests and benchmarks need on a Debian 12 machine (clang and its sanitizer
# and libFuzzer runtimes for the sanitized build, docs/fuzzing.md).
# Safe to run again: packages already present are skipped by apt.
set -euo pipefail

want_windows=1
want_bench=0
for arg in "$@"; do
  case "$arg" in
    --no-windows) want_windows=0 ;;
    --bench) want_bench=1 ;;
  esac
done

packages=(build-essential cmake ninja-build pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libstb-dev
          libcairo2-dev libgdal-dev gdal-bin libpng-dev
          libosmium2-dev libprotozero-dev libexpat1-dev zlib1g-dev
          python3 python3-markdown
          clang libclang-rt-14-dev)
# The machine may already carry its own Node.js; Debian's would conflict with it.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
if [ "$want_windows" = 1 ]; then
  packages+=(mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools
             g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
             wine wine32:i386 wine64 libwine-dev fonts-liberation
             python3 nsis xvfb xauth)
fi
if [ "$want_bench" = 1 ]; then
  packages+=(python3-mapnik)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" = 0 ] || sudo_cmd="sudo"
  if [ "$want_windows" = 1 ] && ! dpkg --print-foreign-architectures | grep -q i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 update -q
  $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
