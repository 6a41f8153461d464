#!/usr/bin/env bash
# Plays the real game in a window on a virtual display, with keys sent through the
# X server, and keeps screenshots: the title, each course and the race display.
# Usage: tools/screenshots.sh [output folder]   (default: docs/)
# Needs xdotool and ImageMagick's import beside Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs}")"
mkdir -p "$out"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh needs $tool (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done
cmake --build build --target nolrace game_data >/dev/null

display=":$((200 + RANDOM % 100))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null && wait "$game" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

(cd build && SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=none XDG_RUNTIME_DIR="$(mktemp -d)" exec ./nolrace -win) &
game=$!
window=""
for _ in $(seq 50); do
  window="$(xdotool search --pid "$game" 2>/dev/null | head -1 || true)"
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "screenshots.sh: the game's window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 2

shot() { import -window "$window" "$out/$1.png"; echo "$out/$1.png"; }
# The game reads the keyboard once a frame: a key goes down for a few frames.
press() {
  xdotool keydown "$1"
  sleep 0.15
  xdotool keyup "$1"
  sleep 0.3
}
# Holds Z (and optionally a cursor key) for a while.
drive() {
  xdotool keydown z ${2:+$2}
  sleep "$1"
  xdotool keyup z ${2:+$2}
}

shot game-title
for course in 1 2 3; do
  press Return
  drive 4
  shot "game-course$course"
  press q
  press Right
done
press Escape
wait "$game" || true
game=""
