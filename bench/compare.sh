#!/usr/bin/env bash
# The race frame of this build beside an earlier commit's, measured in one sitting:
# builds the earlier commit's game_bench in a worktree of its own (same build type
# and flags as build/, through ccache), then runs the two interleaved — course by
# course, each round starting with the other build, so that a busy machine's drift
# falls on both — and prints per course the median of the runs' frame medians, the
# worst 99th percentile, their ratios and the resident memory during the race.
#   bench/compare.sh [base commit, default 793ca1a]
#   FRAMES=300 ROUNDS=3 COURSES="1 2 3" BUILD=build bench/compare.sh
# Starts its own Xvfb where there is no display. Leaves no worktree, build folder
# or process behind.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then exec "$root/tools/with_xvfb.sh" "$0" "$@"; fi

base=${1:-793ca1a}
frames=${FRAMES:-300}
rounds=${ROUNDS:-3}
courses=${COURSES:-1 2 3}
build=$(cd "$root" && realpath "${BUILD:-build}")
[ -f "$build/CMakeCache.txt" ] || { echo "compare.sh: no build in $build" >&2; exit 1; }
base_sha=$(git -C "$root" rev-parse --verify "$base^{commit}")
head_sha=$(git -C "$root" rev-parse HEAD)

work=$(mktemp -d /tmp/nol-compare.XXXXXX)
child=
cleanup() {
  if [ -n "$child" ]; then kill "$child" 2>/dev/null || true; wait "$child" 2>/dev/null || true; fi
  git -C "$root" worktree remove --force "$work/src" 2>/dev/null || true
  git -C "$root" worktree prune
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The same build type and flags as this build's (an empty type takes the project's
# default in both).
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
echo "building $base (${base_sha:0:7}) in $work ..." >&2
git -C "$root" worktree add --detach --quiet "$work/src" "$base_sha"
# Paths relative to the worktree, so that ccache finds the objects of an earlier run.
export CCACHE_BASEDIR="$work" CCACHE_NOHASHDIR=true
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" \
  -DCMAKE_CXX_FLAGS="$(cache CMAKE_CXX_FLAGS)" -DCMAKE_C_FLAGS="$(cache CMAKE_C_FLAGS)" \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >"$work/configure.log"
cmake --build "$work/build" -j2 --target game_bench game_data >"$work/build-base.log"
cmake --build "$build" -j2 --target game_bench game_data >"$work/build-head.log"

# One game_bench run of one course; appends "build course median p99 cpu_median rss".
run() {
  local name=$1 dir=$2 course=$3 line
  (cd "$dir" && exec timeout 600 bench/game_bench "$frames" "$course" 2>/dev/null) >"$work/out" &
  child=$!
  wait "$child" || { echo "compare.sh: game_bench of $name failed on course $course" >&2; child=; return 1; }
  child=
  line=$(awk -v c="$course" '$1 == c && NF >= 14 { print $5, $7, $8, $14 }' "$work/out")
  [ -n "$line" ] || { echo "compare.sh: no figures from $name on course $course" >&2; return 1; }
  echo "$name $course $line" >>"$work/results"
  echo "  round $r  course $course  $name: median $(cut -d' ' -f1 <<<"$line") ms" >&2
}

: >"$work/results"
for r in $(seq "$rounds"); do
  for c in $courses; do
    if [ $((r % 2)) = 1 ]; then run base "$work/build" "$c"; run head "$build" "$c"
    else run head "$build" "$c"; run base "$work/build" "$c"; fi
  done
done

echo "base ${base_sha:0:7} against this build ${head_sha:0:7}$(git -C "$root" diff --quiet HEAD || echo ' (with uncommitted changes)'):" \
  "$frames frames a course, $rounds rounds, interleaved, wall clock"
echo "course  median ms: base  this  ratio   p99 ms (worst): base  this  ratio   RSS MB: base  this"
for c in $courses; do
  awk -v c="$c" "$(cat "$root/bench/median.awk")"'
    $2 == c { k = $1; n[k]++; med[k, n[k]] = $3; if ($4 > p99[k]) p99[k] = $4; rss[k, n[k]] = $6 }
    END {
      for (k in n) { for (i = 1; i <= n[k]; i++) { m[i] = med[k, i]; s[i] = rss[k, i] } mm[k] = median(m, n[k]); rs[k] = median(s, n[k]) }
      printf "%6d  %16.2f %5.2f %6.2f  %22.2f %5.2f %6.2f  %12.1f %5.1f\n", c, mm["base"], mm["head"], mm["head"] / mm["base"],
        p99["base"], p99["head"], p99["head"] / p99["base"], rs["base"], rs["head"]
    }' "$work/results"
done
