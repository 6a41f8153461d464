#!/usr/bin/env bash
# Runs a command on a display: the caller's own (DISPLAY set), or else an Xvfb
# started here and stopped when the command ends. Exits with the command's status,
# or 1 when no Xvfb could be started (then nothing that needs a display can run).
#   tools/with_xvfb.sh ctest --test-dir build ...
set -uo pipefail

if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
command -v Xvfb >/dev/null || { echo "with_xvfb.sh: Xvfb is not installed (apt-get install xvfb)" >&2; exit 1; }

# Xvfb picks a free display itself and writes its number once it is ready.
# -noreset: without it the server restarts whenever its last client leaves, and a
# test connecting at that moment finds no display.
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
xvfb_pid=$!
stop_xvfb() {
  kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -f "$number_file"
}
trap stop_xvfb EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for _ in $(seq 100); do
  [ -s "$number_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
number=$(tr -dc 0-9 <"$number_file")
if [ -z "$number" ]; then
  echo "with_xvfb.sh: Xvfb did not start; nothing that needs a display can run" >&2
  exit 1
fi
export DISPLAY=":$number"
"$@"
