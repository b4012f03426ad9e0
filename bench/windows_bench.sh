#!/bin/bash
# Paints the two benchmark pictures (the contiguous US with counties and states, and the Portland
# street view, 1024 x 768) with the Linux build's painter and with the Windows build's under Wine,
# and prints their paint times side by side. Both run bench/paint_times.cpp on the same data.
# Usage: bash bench/windows_bench.sh [PAINTS] [PRODUCT]
#   PAINTS   paints per picture on each side, after one to warm up (default 20)
#   PRODUCT  the engine's data built by bench/peer_bench.sh (default /tmp/mapnik-peer/product)
# Builds build/bench-release (Linux) and build/windows-bench (MinGW-w64, i686; x86_64 where the machine
# cannot run 32-bit programs, see scripts/wine-arch.sh) with Release flags when they are missing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PAINTS=${1:-20}
PRODUCT=${2:-/tmp/mapnik-peer/product}
LINUX_BUILD=$ROOT/build/bench-release
WINDOWS_BUILD=$ROOT/build/windows-bench

if [ ! -d "$PRODUCT/States" ] || [ ! -d "$PRODUCT/Data2" ]; then
  echo "windows_bench.sh: no engine data in $PRODUCT; bash bench/peer_bench.sh builds it" >&2
  exit 1
fi
# The street view is the peer's extent of its roads when its shapefile is there.
extent="-122.70 45.50 -122.64 45.54"
roads="$(dirname "$PRODUCT")/shp/roads.shp"
if [ -f "$roads" ] && command -v ogrinfo >/dev/null; then
  extent=$(ogrinfo -so -al "$roads" | awk -F'[(), ]+' '/^Extent/{print $2, $3, $5, $6}')
fi

case "$(bash "$ROOT/scripts/wine-arch.sh" || true)" in
  win32) toolchain=mingw-i686; wine_arch=win32 ;;
  win64) toolchain=mingw-x86_64; wine_arch=win64 ;;
  *) echo "windows_bench.sh: Wine cannot run here (scripts/install-deps.sh installs it)" >&2; exit 1 ;;
esac

echo "== Building paint_times (Linux, Release; Windows, Release, $toolchain)"
if [ ! -f "$LINUX_BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLM_BUILD_TESTS=OFF >/dev/null
fi
ninja -C "$LINUX_BUILD" -j2 paint_times >/dev/null
if [ ! -f "$WINDOWS_BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$WINDOWS_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLM_BUILD_TESTS=OFF \
        -DTOLM_BUILD_TOOLS=OFF -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain.cmake" >/dev/null
fi
ninja -C "$WINDOWS_BUILD" -j2 paint_times >/dev/null

# Wine sees the Linux file system as drive Z:.
windows_product="Z:$(echo "$PRODUCT" | tr / '\\')"
echo "== Linux"
linux=$("$LINUX_BUILD/bench/paint_times" "$PRODUCT" "$PAINTS" $extent)
echo "$linux"
echo "== Windows under Wine ($wine_arch)"
windows=$(TOLM_WINEARCH=$wine_arch bash "$ROOT/scripts/wine-run.sh" "$WINDOWS_BUILD/bench/paint_times.exe" \
            "$windows_product" "$PAINTS" $extent | tr -d '\r')
echo "$windows"

# "NAME paints=N mean=M.MMms min=M.MMms median=M.MMms" lines on both sides.
field() { echo "$1" | awk -v name="$2" -v key="$3" '$1 == name { for (i = 2; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == key) { sub("ms", "", kv[2]); print kv[2] } } }'; }
echo "== Paint times, $PAINTS paints of each picture; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-18s %24s   %24s   %s\n" "picture" "Linux mean / min (ms)" "Windows mean / min (ms)" "Windows/Linux (mean)"
for picture in contiguous_us portland_streets; do
  lm=$(field "$linux" $picture mean); ln=$(field "$linux" $picture min)
  wm=$(field "$windows" $picture mean); wn=$(field "$windows" $picture min)
  printf "%-18s %14s / %-8s   %14s / %-8s   %s\n" "$picture" "$lm" "$ln" "$wm" "$wn" \
    "$(awk -v w="$wm" -v l="$lm" 'BEGIN { if (l > 0) printf "%.2f", w / l; else print "-" }')"
done
