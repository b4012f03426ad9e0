#!/bin/bash
# Runs the map engine benchmark beside the Mapnik peer benchmark (../shared/bench/mapnik) in one run,
# on the same data, and prints our time as a ratio of Mapnik's.
# Usage: bash bench/peer_bench.sh [BUILD_DIR] [WORKDIR] [N]
#   BUILD_DIR  a Release build of this repository with engine_bench and tolm-import (default build/bench-release)
#   WORKDIR    the peer's work folder, shared with it (default /tmp/mapnik-peer)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PEER="$ROOT/../shared/bench/mapnik"
BUILD=${1:-$ROOT/build/bench-release}
W=${2:-/tmp/mapnik-peer}
N=${3:-20}

if [ ! -x "$BUILD/bench/engine_bench" ] || [ ! -x "$BUILD/bin/tolm-import" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLM_BUILD_TESTS=OFF >/dev/null
  ninja -C "$BUILD" -j2 engine_bench tolm-import
fi

echo "== Mapnik peer"
peer_out=$(bash "$PEER/run_peer_bench.sh" "$W" "$N")
echo "$peer_out"
# "render mean=66.4ms min=..." lines, counties first, then streets.
mapnik_means=$(echo "$peer_out" | sed -n 's/^render mean=\([0-9.]*\)ms.*/\1/p')
mapnik_conus=$(echo "$mapnik_means" | sed -n 1p)
mapnik_streets=$(echo "$mapnik_means" | sed -n 2p)
street_extent=$(ogrinfo -so -al "$W/shp/roads.shp" | awk -F'[(), ]+' '/^Extent/{print $2, $3, $5, $6}')

if [ ! -f "$W/product/States/boundaries.pack" ] || [ ! -f "$W/product/Data2/streets.pack" ]; then
  echo "== Building the engine's data with tolm-import"
  "$BUILD/bin/tolm-import" --quiet --out "$W/product" --boundaries "$W/us-atlas/counties-10m.json" \
    --osm "$ROOT/../shared/testdata/osm/portland-central-filtered.osm.pbf"
fi

echo "== Map engine"
ours=$(TOLM_BENCH_PRODUCT="$W/product" TOLM_BENCH_STREET_EXTENT="$street_extent" TOLM_BENCH_PNG_FOLDER="$W" \
       "$BUILD/bench/engine_bench" --benchmark_repetitions=1 --benchmark_min_time=1 2>&1)
echo "$ours"
ms_of() { echo "$ours" | awk -v name="$1" '$1 == name {print $2; exit}'; }
ours_open=$(ms_of BM_OpenDefaultData)
ours_conus=$(ms_of BM_PaintContiguousUs)
ours_streets=$(ms_of BM_PaintPortlandStreets)

echo "== Ratios (engine / Mapnik; the target is at most 0.5)"
awk -v a="$ours_conus" -v b="$mapnik_conus" 'BEGIN {printf "contiguous US, counties and states: %.2f ms / %.2f ms = %.2f\n", a, b, a / b}'
awk -v a="$ours_streets" -v b="$mapnik_streets" 'BEGIN {printf "Portland streets:                   %.2f ms / %.2f ms = %.2f\n", a, b, a / b}'
echo "opening the data: $ours_open ms (target at most 20 ms)"
