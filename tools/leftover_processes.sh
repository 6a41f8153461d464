#!/usr/bin/env bash
# Fails, naming them, when processes started by a test run are still alive after
# it: every process the run starts inherits NOL_RUN_TAG in its environment, so they
# are found even when their parent has died and they were handed to init. Each one
# found is ended too, so that a failed run still leaves nothing behind.
#   tools/leftover_processes.sh "$NOL_RUN_TAG"
# Pure bash below: a forked helper would carry the tag itself and be counted.
set -uo pipefail
tag="${1:?usage: leftover_processes.sh TAG}"

# This script and the shells that called it carry the tag too.
declare -A ours=()
pid=$$
while [ -n "$pid" ] && [ "$pid" != 0 ]; do
  ours[$pid]=1
  ppid=""
  while read -r key value; do
    [ "$key" = "PPid:" ] && { ppid=$value; break; }
  done 2>/dev/null </proc/"$pid"/status
  pid=$ppid
done

find_tagged() {
  tagged=()
  local p entry
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [ -n "${ours[$p]:-}" ] && continue
    while IFS= read -r -d '' entry; do
      if [ "$entry" = "NOL_RUN_TAG=$tag" ]; then tagged+=("$p"); break; fi
    done 2>/dev/null </proc/"$p"/environ
  done
}

# Processes being stopped right now (a display's Xvfb after its last test) get a
# moment to go.
for _ in $(seq 30); do
  find_tagged
  [ ${#tagged[@]} -eq 0 ] && exit 0
  sleep 0.1
done

echo "leftover_processes.sh: processes started by this run are still running:" >&2
for p in "${tagged[@]}"; do
  cmd=""
  while IFS= read -r -d '' arg; do cmd+="$arg "; done 2>/dev/null </proc/"$p"/cmdline
  echo "  pid $p: ${cmd:-(gone)}" >&2
done
kill -TERM "${tagged[@]}" 2>/dev/null
sleep 1
kill -KILL "${tagged[@]}" 2>/dev/null
exit 1
