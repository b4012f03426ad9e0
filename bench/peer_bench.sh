#!/bin/bash
# Runs the map engine benchmark beside the Mapnik peer benchmark (../shared/bench/mapnik) on the same
# data, three times in turn, and prints our times as ratios of Mapnik's: the render alone, and the
# render followed by the PNG encode, for both pictures; then the least and the median of the runs.
# Usage: bash bench/peer_bench.sh [BUILD_DIR] [WORKDIR] [N] [RUNS]
#   BUILD_DIR  a Release build of this repository with engine_bench and tolm-import (default build/bench-release)
#   WORKDIR    the peer's work folder, shared with it (default /tmp/mapnik-peer)
#   N          renders per picture in each of the peer's runs (default 20)
#   RUNS       how many times both sides run (default 3)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PEER="$ROOT/../shared/bench/mapnik"
BUILD=${1:-$ROOT/build/bench-release}
W=${2:-/tmp/mapnik-peer}
N=${3:-20}
RUNS=${4:-3}

if [ ! -x "$BUILD/bench/engine_bench" ] || [ ! -x "$BUILD/bin/tolm-import" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLM_BUILD_TESTS=OFF >/dev/null
  ninja -C "$BUILD" -j2 engine_bench tolm-import
fi

# The peer's work folder and its shapefiles come from its first run; the engine's data from them.
run_peer() { bash "$PEER/run_peer_bench.sh" "$W" "$N"; }
echo "== Mapnik peer, run 1"
peer_out=$(run_peer)
echo "$peer_out"
street_extent=$(ogrinfo -so -al "$W/shp/roads.shp" | awk -F'[(), ]+' '/^Extent/{print $2, $3, $5, $6}')

# Built again whenever the importer is newer than the packs: what it writes may have changed.
if [ ! -f "$W/product/States/boundaries.pack" ] || [ ! -f "$W/product/Data2/streets.pack" ] ||
   [ "$BUILD/bin/tolm-import" -nt "$W/product/States/boundaries.pack" ]; then
  echo "== Building the engine's data with tolm-import"
  "$BUILD/bin/tolm-import" --quiet --out "$W/product" --boundaries "$W/us-atlas/counties-10m.json" \
    --osm "$ROOT/../shared/testdata/osm/portland-central-filtered.osm.pbf"
fi

run_ours() {
  TOLM_BENCH_PRODUCT="$W/product" TOLM_BENCH_STREET_EXTENT="$street_extent" TOLM_BENCH_PNG_FOLDER="$W" \
    "$BUILD/bench/engine_bench" --benchmark_repetitions=1 --benchmark_min_time=1 2>&1
}

# One line per run: "run R: us_render us_png streets_render streets_png" as ratios, then the times.
ratios=()
for run in $(seq 1 "$RUNS"); do
  if [ "$run" -gt 1 ]; then
    echo "== Mapnik peer, run $run"
    peer_out=$(run_peer)
    echo "$peer_out"
  fi
  echo "== Map engine, run $run"
  ours=$(run_ours)
  echo "$ours"
  # "render mean=66.4ms min=...; png encode mean=19.2ms; ..." lines, counties first, then streets.
  peer_render=$(echo "$peer_out" | sed -n 's/^render mean=\([0-9.]*\)ms.*/\1/p')
  peer_encode=$(echo "$peer_out" | sed -n 's/.*png encode mean=\([0-9.]*\)ms.*/\1/p')
  ms_of() { echo "$ours" | awk -v name="$1" '$1 == name {print $2; exit}'; }
  line=$(awk -v pr1="$(echo "$peer_render" | sed -n 1p)" -v pe1="$(echo "$peer_encode" | sed -n 1p)" \
             -v pr2="$(echo "$peer_render" | sed -n 2p)" -v pe2="$(echo "$peer_encode" | sed -n 2p)" \
             -v r1="$(ms_of BM_PaintContiguousUs)" -v p1="$(ms_of BM_PaintAndPngContiguousUs)" \
             -v r2="$(ms_of BM_PaintPortlandStreets)" -v p2="$(ms_of BM_PaintAndPngPortlandStreets)" \
             -v open="$(ms_of BM_OpenDefaultData)" 'BEGIN {
    printf "%.3f %.3f %.3f %.3f  US %.2f/%.2f ms, +PNG %.2f/%.2f ms; streets %.2f/%.2f ms, +PNG %.2f/%.2f ms; open %.2f ms\n",
      r1 / pr1, p1 / (pr1 + pe1), r2 / pr2, p2 / (pr2 + pe2),
      r1, pr1, p1, pr1 + pe1, r2, pr2, p2, pr2 + pe2, open }')
  ratios+=("$line")
done

echo "== Ratios (engine / Mapnik), $RUNS runs of $N renders each side; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "run  US render  US render+PNG  streets render  streets render+PNG  (engine/Mapnik times)"
for i in "${!ratios[@]}"; do
  set -- ${ratios[$i]}
  printf "%-4s %9s  %13s  %14s  %18s  %s\n" "$((i + 1))" "$1" "$2" "$3" "$4" "${*:5}"
done
column_stats() {
  printf '%s\n' "${ratios[@]}" | awk -v c="$1" '{print $c}' | sort -g |
    awk '{v[NR] = $1} END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "min %.2f median %.2f", v[1], m}'
}
echo "contiguous US, counties and states, render:        $(column_stats 1)"
echo "contiguous US, counties and states, render + PNG:  $(column_stats 2)"
echo "Portland streets, render:                          $(column_stats 3)"
echo "Portland streets, render + PNG:                    $(column_stats 4)"
