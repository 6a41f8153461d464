#!/usr/bin/env bash
# Builds nol and starts the game from the repository's root; switches are passed
# through (for example: ./run.sh -win -dbf).
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake --build build --target nolrace
exec ./build/nolrace "$@"
