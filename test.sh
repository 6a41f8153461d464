#!/usr/bin/env bash
# Builds nol and runs every test. Without a display, the tests get their own Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake --build build

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  display=":$((90 + RANDOM % 100))"
  # -noreset: without it the server restarts whenever its last client leaves,
  # and a test connecting at that moment finds no display.
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
  done
fi
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT

ctest --test-dir build --output-on-failure -j2 "$@"
