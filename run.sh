#!/usr/bin/env bash
# Builds nol and its data, then starts the game from build/, where "data" names the
# generated files; switches are passed through (for example: ./run.sh -win -dbf).
# ./run.sh --demo starts the demo program, noldemo, instead (./run.sh --demo -win).
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
program=nolrace
if [ "${1:-}" = "--demo" ]; then
  program=noldemo
  shift
fi
cmake --build build --target "$program" game_data
cd build
exec "./$program" "$@"
