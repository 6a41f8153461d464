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
fuzzer=""
cleanup() {
  if [ -n "$fuzzer" ]; then
    kill "$fuzzer" 2>/dev/null || true
    wait "$fuzzer" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

failed=()
for source in fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  target=${name#fuzz_}
  mkdir -p "$work/$target"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  seeds=()
  [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
  # -close_fd_mask=3: the loaders' log lines stay out of the output; libFuzzer's
  # own lines and sanitizer reports still come through.
  "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 \
    "${dict[@]}" -artifact_prefix="$work/" -print_final_stats=1 \
    "$work/$target" "${seeds[@]}" >"$work/$target.log" 2>&1 &
  fuzzer=$!
  status=0
  wait "$fuzzer" || status=$?
  fuzzer=""
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
  cov=$(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -1 || true)
  if [ "$status" -ne 0 ]; then
    echo "fuzz_smoke: $name FAILED (exit $status)" >&2
    tail -n 40 "$work/$target.log" >&2
    mkdir -p build-fuzz/findings
    for artifact in "$work"/crash-* "$work"/leak-* "$work"/oom-* "$work"/timeout-*; do
      [ -e "$artifact" ] || continue
      cp "$artifact" "build-fuzz/findings/$name-$(basename "$artifact")"
      echo "fuzz_smoke: input kept as build-fuzz/findings/$name-$(basename "$artifact")" >&2
    done
    rm -f "$work"/crash-* "$work"/leak-* "$work"/oom-* "$work"/timeout-*
    failed+=("$name")
  else
    echo "fuzz_smoke: $name ok: ${runs:-?} runs in ${seconds} s, $cov"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz_smoke: failed: ${failed[*]}" >&2
  exit 1
fi
