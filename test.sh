#!/usr/bin/env bash
# Builds nol and runs every test; then, for a whole run, the same suite again in an
# AddressSanitizer + UndefinedBehaviorSanitizer build (tools/sanitizer_suite.sh).
# Without a display, the tests get their own Xvfb.
#   ./test.sh              everything
#   ./test.sh -R Font      only the tests matching Font, without the sanitizer build
#                          (NOL_SANITIZERS=1 runs them there as well)
#   NOL_SANITIZERS=0 ./test.sh   everything but the sanitizer build
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
./tools/with_xvfb.sh ctest --test-dir build --output-on-failure -j2 "$@"

# The file parsers under libFuzzer, briefly; left out when only some tests were asked for.
if [ $# -eq 0 ]; then ./tools/fuzz_smoke.sh; fi

sanitizers=${NOL_SANITIZERS:-}
[ -z "$sanitizers" ] && { [ $# -eq 0 ] && sanitizers=1 || sanitizers=0; }
if [ "$sanitizers" != 0 ]; then
  ./tools/sanitizer_suite.sh "$@"
else
  echo "test.sh: the sanitizer build is not run this time (NOL_SANITIZERS=1 runs it)"
fi
