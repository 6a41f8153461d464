#!/usr/bin/env bash
# Builds nol and its data, then starts the game from build/, where "data" names the
# generated files; switches are passed through (for example: ./run.sh -win -dbf).
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake --build build --target nolrace game_data
cd build
exec ./nolrace "$@"
