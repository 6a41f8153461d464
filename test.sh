#!/usr/bin/env bash
# Builds nol and runs every test, then each file parser briefly under libFuzzer.
# Without a display, the tests get their own Xvfb.
#   ./test.sh              the whole suite and the fuzz smoke
#   ./test.sh -R Font      only the tests matching Font
#   NOL_SANITIZERS=1 ./test.sh   then the same tests again in an AddressSanitizer +
#                          UndefinedBehaviorSanitizer build (tools/sanitizer_suite.sh),
#                          as .ci/run does
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake --build build

# Every process this run starts inherits the tag; none may be alive at the end.
export NOL_RUN_TAG="nol-test-$$-$(date +%s%N)"
trap 'status=$?; ./tools/leftover_processes.sh "$NOL_RUN_TAG" || status=1; exit $status' EXIT

# A display is there: a test that cannot open it (or lacks a tool it needs) fails
# rather than skips.
export NOL_REQUIRE_DISPLAY=1
# Two tests at a time, and the soak beside them (tests/resources.json).
./tools/with_xvfb.sh ctest --test-dir build --output-on-failure -j3 --resource-spec-file "$PWD/tests/resources.json" "$@"

# The file parsers under libFuzzer, briefly; left out when only some tests were asked for.
if [ $# -eq 0 ]; then ./tools/fuzz_smoke.sh; fi

if [ "${NOL_SANITIZERS:-0}" != 0 ]; then
  ./tools/sanitizer_suite.sh "$@"
else
  echo "test.sh: the sanitizer build is left to .ci/run (NOL_SANITIZERS=1 ./test.sh runs it too)"
fi
