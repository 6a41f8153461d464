#!/usr/bin/env bash
# Builds nol with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan
# and runs the whole test suite there; any sanitizer report, in a test or in a
# program a test starts, fails the run. Extra arguments go to ctest.
# GCC only: clang does not take -fexec-charset=CP932.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${NOL_ASAN_BUILD_DIR:-build-asan}
# Timing bounds of whole programs, and the tests' time limits, grow by this
# factor: what they check is the same, but an instrumented program runs several
# times slower.
time_scale=${NOL_TIME_SCALE:-4}

# -g1: line tables are all a report needs, and they build faster than full debug
# information.
flags="-O1 -g1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # A build type of its own, so that no -O2 or NDEBUG of another type is added.
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize \
        -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ "${launcher[@]}" \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
        -DNOL_BUILD_BENCH=OFF
fi
cmake -B "$build" -DNOL_TEST_TIME_SCALE="$time_scale" >/dev/null
cmake --build "$build" -j2

# Reports go to files (report.<pid>), printed at the end: a report from a program
# that a test starts, and whose output it keeps to itself, is not lost that way.
reports=$(mktemp -d /tmp/nol-sanitizer-XXXXXX)
trap 'rm -rf "$reports"' EXIT
common="halt_on_error=1:print_stacktrace=1:log_path=$reports/report"
# intercept_tls_get_addr=0: with it, LeakSanitizer's stop-the-world tracer crashes
# (signal 11, "LeakSanitizer has encountered a fatal error") in every process that
# has drawn through Mesa, whose drivers are loaded with thread-local storage of
# their own; without it leaks are still found, in our code and in theirs.
export ASAN_OPTIONS="$common:detect_leaks=1:check_initialization_order=1:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="$common"
export LSAN_OPTIONS="suppressions=$root/tools/lsan_suppressions.txt:print_suppressions=0"
export NOL_TIME_SCALE=$time_scale

own_tag=""
if [ -z "${NOL_RUN_TAG:-}" ]; then
  own_tag="nol-asan-$$-$(date +%s%N)"
  export NOL_RUN_TAG=$own_tag
fi
export NOL_REQUIRE_DISPLAY=1

status=0
./tools/with_xvfb.sh ctest --test-dir "$build" --output-on-failure -j3 --resource-spec-file "$PWD/tests/resources.json" "$@" ||
  status=$?

if compgen -G "$reports/report*" >/dev/null; then
  echo "sanitizer_suite.sh: sanitizer reports:" >&2
  for f in "$reports"/report*; do echo "--- $f" >&2; cat "$f" >&2; done
  status=1
fi
if [ -n "$own_tag" ]; then
  ./tools/leftover_processes.sh "$own_tag" || status=1
fi
exit $status
