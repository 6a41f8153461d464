#!/usr/bin/env bash
# Draw-call throughput of the Direct3D stand-in against the same draws in raw
# OpenGL: runs build/bench/d3d8_bench and build/bench/raw_gl_bench in turn, ROUNDS
# times each (default 5), and prints per benchmark the median draws per second of
# each and their ratio (layer / raw GL; 1.0 is no cost of the layer's own).
#   BUILD=build ROUNDS=5 bench/draw_ratio.sh
# Starts its own Xvfb where there is no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then exec "$root/tools/with_xvfb.sh" "$0" "$@"; fi
build=$(cd "$root" && realpath "${BUILD:-build}")
rounds=${ROUNDS:-5}
filter='BM_(DrawPrimitiveSmallBatch|DrawPrimitiveUPSmallBatch|DrawWithTransformChange|StateChangeBetweenCachedPrograms)/'
out=$(mktemp)
trap 'rm -f "$out"' EXIT
cmake --build "$build" -j2 --target d3d8_bench raw_gl_bench >/dev/null
for r in $(seq "$rounds"); do
  for program in d3d8_bench raw_gl_bench; do
    # name,iterations,real_time,cpu_time,time_unit,bytes_per_second,items_per_second,...
    "$build/bench/$program" --benchmark_filter="$filter" --benchmark_format=csv 2>/dev/null |
      awk -F, -v p="$program" '$1 ~ /^"?BM_/ { gsub(/"|\/real_time/, "", $1); print p, $1, $7 }' >>"$out"
  done
done
echo "draws per second, median of $rounds runs each, taken in turn"
echo "benchmark                              layer        raw GL     layer / raw"
awk "$(cat "$root/bench/median.awk")"'
  { k = $1 SUBSEP $2; v[k, ++n[k]] = $3; names[$2] = 1 }
  END {
    for (b in names) {
      for (i = 1; i <= n["d3d8_bench", b]; i++) x[i] = v["d3d8_bench", b, i]; layer = median(x, n["d3d8_bench", b])
      for (i = 1; i <= n["raw_gl_bench", b]; i++) x[i] = v["raw_gl_bench", b, i]; raw = median(x, n["raw_gl_bench", b])
      printf "%-36s %9.0f  %12.0f  %10.2f\n", b, layer, raw, raw ? layer / raw : 0
    }
  }' "$out" | sort
