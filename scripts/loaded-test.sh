#!/usr/bin/env bash
# The test suite on a busy machine: `make test` must stay green while the
# machine builds or is otherwise loaded, so the suite is run N times beside
#   build   a parallel build (-j4, no compiler cache) of a second clone of this
#           repository, started again whenever it finishes, and
#   stress  stress-ng --cpu 8 --vm 2 --io 2,
# and each run is reported green or red with the load average. A third kind,
#   pause   the tests stopped 200 ms out of every 330 ms (SIGSTOP, SIGCONT),
# makes constant the starvation the others cause now and then: a test that
# sleeps a fixed time and then checks fails under it at once.
#
#   scripts/loaded-test.sh [-n RUNS] [-l build|stress|pause|both|all] [-R REGEX] [-j JOBS]
#
#   -n RUNS   runs of the suite per kind of load (default 3)
#   -l LOAD   which load: build, stress, pause, both (build and stress, the
#             default) or all three
#   -R REGEX  only the tests ctest -R picks (e.g. two tests in a loop of 20)
#   -j JOBS   ctest's parallel jobs, as make test (default: the core count)
#
# BUILD (default build) is built first, with no load. The second clone and the
# logs of every run go to a scratch directory under /tmp, removed at the end
# unless a run was red or KEEP=1. Exit status 0 when every run was green.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"

RUNS=3
LOADS="both"
REGEX=""
JOBS="$(nproc 2>/dev/null || echo 2)"
while getopts "n:l:R:j:h" opt; do
  case "$opt" in
    n) RUNS="$OPTARG" ;;
    l) LOADS="$OPTARG" ;;
    R) REGEX="$OPTARG" ;;
    j) JOBS="$OPTARG" ;;
    *) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 2 ;;
  esac
done
case "$LOADS" in
  both) LOADS="build stress" ;;
  all) LOADS="build stress pause" ;;
  build|stress|pause) ;;
  *) echo "loaded-test: -l takes build, stress, pause, both or all" >&2; exit 2 ;;
esac
case "$RUNS" in ''|*[!0-9]*|0) echo "loaded-test: -n takes a positive number" >&2; exit 2 ;; esac

BUILD="${BUILD:-build}"
SCRATCH="$(mktemp -d /tmp/comtrax-loaded-XXXXXX)"
LOAD_PID=""
SUITE_PID=""

stop_load() {
  if [ -n "$LOAD_PID" ]; then
    # The load runs in a process group of its own (setsid): end the whole group.
    kill -TERM -- "-$LOAD_PID" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 -- "-$LOAD_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL -- "-$LOAD_PID" 2>/dev/null || true
    wait "$LOAD_PID" 2>/dev/null || true
    LOAD_PID=""
  fi
}
cleanup() {
  if [ -n "$SUITE_PID" ]; then
    kill -CONT -- "-$SUITE_PID" 2>/dev/null || true
    kill -TERM -- "-$SUITE_PID" 2>/dev/null || true
  fi
  stop_load
  if [ "${KEEP:-0}" = 1 ]; then
    echo "loaded-test: logs kept in $SCRATCH"
  else
    rm -rf "$SCRATCH"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

load_average() { cut -d' ' -f1-3 /proc/loadavg; }

echo "loaded-test: building $BUILD (no load yet)"
cmake -S . -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$JOBS" >/dev/null

start_load() {
  case "$1" in
    build)
      if [ ! -d "$SCRATCH/clone" ]; then
        git clone --quiet "$ROOT" "$SCRATCH/clone"
      fi
      # Compilers running beside the tests, as on a machine that builds while
      # it tests: the cache is off so that every file is really compiled.
      setsid bash -c '
        cd "$1"
        while true; do
          rm -rf build
          CCACHE_DISABLE=1 cmake -S . -B build >/dev/null 2>&1
          CCACHE_DISABLE=1 cmake --build build -j4 >/dev/null 2>&1 || sleep 1
        done' load-build "$SCRATCH/clone" &
      ;;
    stress)
      command -v stress-ng >/dev/null || { echo "loaded-test: stress-ng is not installed (scripts/install-deps.sh)" >&2; exit 2; }
      setsid stress-ng --cpu 8 --vm 2 --io 2 --timeout 0 --quiet &
      ;;
    pause)
      return 0  # applied to each run (run_suite)
      ;;
  esac
  LOAD_PID=$!
  # Let the load get going before the first run.
  sleep 10
}

# One run of the suite; under the pause load, in a process group of its own
# that is stopped and continued in turn until it ends.
run_suite() {
  if [ "$1" != pause ]; then
    (cd "$BUILD" && ctest "${ctest_args[@]}")
    return
  fi
  (cd "$BUILD" && exec setsid ctest "${ctest_args[@]}") &
  SUITE_PID=$!
  while kill -0 "$SUITE_PID" 2>/dev/null; do
    sleep 0.13
    kill -STOP -- "-$SUITE_PID" 2>/dev/null || break
    sleep 0.2
    kill -CONT -- "-$SUITE_PID" 2>/dev/null || break
  done
  kill -CONT -- "-$SUITE_PID" 2>/dev/null || true
  local status=0
  wait "$SUITE_PID" || status=$?
  SUITE_PID=""
  return "$status"
}

ctest_args=(--output-on-failure -j "$JOBS" --timeout 300)
[ -n "$REGEX" ] && ctest_args+=(-R "$REGEX")

total=0
red=0
summary=()
for load in $LOADS; do
  echo "loaded-test: starting the $load load"
  start_load "$load"
  for run in $(seq "$RUNS"); do
    log="$SCRATCH/$load-$run.log"
    before="$(load_average)"
    t0=$(date +%s)
    if run_suite "$load" >"$log" 2>&1; then
      verdict="green"
    else
      verdict="RED"
      red=$((red + 1))
    fi
    t1=$(date +%s)
    total=$((total + 1))
    counts="$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)"
    line="$load run $run/$RUNS: $verdict ($counts) in $((t1 - t0)) s, load average $before at the start, $(load_average) at the end"
    echo "loaded-test: $line"
    summary+=("$line")
    if [ "$verdict" = RED ]; then
      grep -E '^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception)\)' "$log" | sed 's/^/    /' || true
      echo "    (log: $log)"
      KEEP=1
    fi
  done
  stop_load
done

echo
echo "loaded-test: $((total - red)) of $total runs green"
for line in "${summary[@]}"; do echo "  $line"; done
[ "$red" -eq 0 ]
