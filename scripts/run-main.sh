#!/usr/bin/env bash
# The main job: draws the contiguous United States from the default data into out/us.png through the
# map server, created by its ProgID the way the client creates it, and prints the extent the server
# reported and the map entry file it wrote for the client. Installs and builds what it needs; safe to
# run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh --no-windows

build="$root/build/linux"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target TolmServer7 tolm -j "$(nproc)"

product="$root/build/default-data/Kartovex"
if [ -f scripts/build-default-data.sh ]; then
  bash scripts/build-default-data.sh --out "$product" --build "$build"
fi

mkdir -p "$root/out"
# The client's folder, its saved settings and the server's registration live in out/work. On the
# first run the server asks where the map product lies; tolm answers with the default product.
"$build/bin/tolm" --work "$root/out/work" --product "$product" --size 1024x768 \
  --corners -125,49.5,-66.5,24.5 --out "$root/out/us.png"
