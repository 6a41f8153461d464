#!/usr/bin/env bash
# Builds the fuzz targets (clang, -DNOL_FUZZ=ON) in build-fuzz/ and runs each for
# a short while from its seed corpus. Fails when a target crashes, leaks, runs out
# of memory or time, or breaks one of its checks; the input that did it is kept in
# build-fuzz/findings/. New inputs go to a temporary directory, never into the
# repository. NOL_FUZZ_SECONDS sets the time per target (15 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${NOL_FUZZ_SECONDS:-15}

if [ ! -f build-fuzz/build.ninja ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DNOL_FUZZ=ON \
    "${launcher[@]}" >/dev/null
fi
cmake --build build-fuzz

work=$(mktemp -d)
# Targets run side by side, one per core: each is a single process.
jobs=${NOL_FUZZ_JOBS:-$(nproc)}
declare -A running=()   # pid -> target name
cleanup() {
  for pid in "${!running[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

failed=()
# Reports how the target run as pid ended (with status), and keeps the input
# that failed it.
finish() {
  local pid=$1 status=$2 name=${running[$1]}
  unset "running[$pid]"
  local target=${name#fuzz_}
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
  cov=$(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -1 || true)
  if [ "$status" -ne 0 ]; then
    echo "fuzz_smoke: $name FAILED (exit $status)" >&2
    tail -n 40 "$work/$target.log" >&2
    mkdir -p build-fuzz/findings
    for artifact in "$work/$target"-crash-* "$work/$target"-leak-* "$work/$target"-oom-* "$work/$target"-timeout-*; do
      [ -e "$artifact" ] || continue
      local kept="build-fuzz/findings/$name-${artifact##*/$target-}"
      cp "$artifact" "$kept"
      echo "fuzz_smoke: input kept as $kept" >&2
    done
    failed+=("$name")
  else
    echo "fuzz_smoke: $name ok: ${runs:-?} runs in ${seconds} s, $cov"
  fi
}

for source in fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  target=${name#fuzz_}
  mkdir -p "$work/$target"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  seeds=()
  [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
  while [ ${#running[@]} -ge "$jobs" ]; do
    status=0
    wait -n -p done_pid "${!running[@]}" || status=$?
    finish "$done_pid" "$status"
  done
  # -close_fd_mask=3: the loaders' log lines stay out of the output; libFuzzer's
  # own lines and sanitizer reports still come through.
  "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 \
    "${dict[@]}" -artifact_prefix="$work/$target-" -print_final_stats=1 \
    "$work/$target" "${seeds[@]}" >"$work/$target.log" 2>&1 &
  running[$!]=$name
done
while [ ${#running[@]} -gt 0 ]; do
  status=0
  wait -n -p done_pid "${!running[@]}" || status=$?
  finish "$done_pid" "$status"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz_smoke: failed: ${failed[*]}" >&2
  exit 1
fi
