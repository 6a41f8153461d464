#!/usr/bin/env bash
# The game's start and its idle title screen beside the least SDL2 + OpenGL
# program (bench/bare_sdl_gl.c, built here): for each, the time from exec to the
# first picture presented (both print it, "startup: first present <ms>", when
# NOL_STARTUP_TRACE holds the CLOCK_MONOTONIC nanoseconds of their launch), then the processor share of the whole process,
# all threads, over IDLE seconds (default 5) of its idle screen, read from
# /proc/<pid>/stat after SETTLE seconds (default 2). The two run in turn, ROUNDS
# times (default 5); medians and the game / bare ratios at the end, and the
# game's busiest threads over the last round.
#   BUILD=build ROUNDS=5 bench/startup.sh
# Starts its own Xvfb where there is no display; leaves no process behind.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then exec "$root/tools/with_xvfb.sh" "$0" "$@"; fi
build=$(cd "$root" && realpath "${BUILD:-build}")
rounds=${ROUNDS:-5}
idle=${IDLE:-5}
settle=${SETTLE:-2}
work=$(mktemp -d /tmp/nol-startup.XXXXXX)
child=
cleanup() {
  if [ -n "$child" ]; then kill -TERM "$child" 2>/dev/null || true; wait "$child" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

cc -O2 -o "$work/bare" "$root/bench/bare_sdl_gl.c" $(sdl2-config --cflags --libs)
cmake --build "$build" -j2 --target nolrace game_data >/dev/null
# The game makes llvmpipe draw on its own thread; the bare program does the same.
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
export NOL_AUTO_MESSAGEBOX=ok XDG_RUNTIME_DIR="$work"
hz=$(getconf CLK_TCK)

# Processor ticks (user + system) of a process or thread: fields 14 and 15 after
# the command name, which may hold spaces.
ticks() { sed 's/.*) //' "$1" 2>/dev/null | awk '{ print $12 + $13 }'; }
thread_ticks() {
  for t in /proc/"$1"/task/*; do
    printf '%s %s %s\n' "${t##*/}" "$(ticks "$t/stat")" "$(tr ' ' _ <"$t/comm" 2>/dev/null)"
  done
}

# One start of one program from its folder: "name start_ms cpu_percent".
measure() {
  local name=$1 dir=$2; shift 2
  local err="$work/$name.err" stamp c0 c1 t0 t1
  : >"$err"
  cd "$dir"
  NOL_STARTUP_TRACE=$(python3 -c 'import time; print(time.monotonic_ns())') "$@" 2>"$err" >/dev/null &
  child=$!
  for _ in $(seq 600); do
    grep -q '^startup: first present' "$err" && break
    kill -0 "$child" 2>/dev/null || break
    sleep 0.05
  done
  stamp=$(awk '/^startup: first present/ { print $4; exit }' "$err")
  [ -n "$stamp" ] || { echo "startup.sh: $name showed no picture" >&2; tail -5 "$err" >&2; exit 1; }
  sleep "$settle"
  thread_ticks "$child" >"$work/threads0"
  c0=$(ticks /proc/$child/stat); t0=$(date +%s%N)
  sleep "$idle"
  c1=$(ticks /proc/$child/stat); t1=$(date +%s%N)
  thread_ticks "$child" >"$work/threads1"
  kill -TERM "$child"
  wait "$child" 2>/dev/null || true
  child=
  awk -v n="$name" -v f="$stamp" -v c="$((c1 - c0))" -v hz="$hz" -v w="$((t1 - t0))" \
    'BEGIN { printf "%s %.0f %.1f\n", n, f, 100 * c / hz / (w / 1e9) }' | tee -a "$work/results"
  if [ "$name" = game ]; then
    join <(sort "$work/threads0") <(sort "$work/threads1") |
      awk -v hz="$hz" -v w="$((t1 - t0))" '{ printf "%.1f %s\n", 100 * ($4 - $2) / hz / (w / 1e9), $3 }' |
      sort -rn | head -6 >"$work/game-threads"
  fi
}

echo "program  start->first picture ms  idle CPU % of a core"
: >"$work/results"
for r in $(seq "$rounds"); do
  measure bare "$work" "$work/bare"
  measure game "$build" ./nolrace -win
done
awk "$(cat "$root/bench/median.awk")"'
  { n[$1]++; s[$1, n[$1]] = $2; c[$1, n[$1]] = $3 }
  END {
    for (k in n) { for (i = 1; i <= n[k]; i++) { x[i] = s[k, i]; y[i] = c[k, i] } ms[k] = median(x, n[k]); cpu[k] = median(y, n[k]) }
    printf "median of %d: bare %.0f ms, %.1f %%; game %.0f ms, %.1f %%; game / bare: start %.1fx, idle CPU %.1fx\n",
      n["game"], ms["bare"], cpu["bare"], ms["game"], cpu["game"], ms["game"] / ms["bare"], cpu["bare"] ? cpu["game"] / cpu["bare"] : 0
  }' "$work/results"
echo "the game's busiest threads on the title screen (last round, % of a core):"
sed 's/^/  /' "$work/game-threads"
