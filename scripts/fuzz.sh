#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
# (default 60), starting from its seed corpus, then prints executions and
# coverage per target.
#
#   FUZZ_SECONDS=300 FUZZ_TARGETS="encoder receive_framer" make fuzz
#   FUZZ_JOBS=2 make fuzz        # two targets at a time (the default is 1)
#
# New inputs the fuzzer finds go to build-fuzz/corpus/<target>/ (fuzz/seeds/ and
# fuzz/found/ are not touched; merge worthwhile finds into fuzz/found/<target>/
# with -merge=1); crashes to build-fuzz/artifacts/<target>/.
# Copy a crash input to tests/fuzz_regressions/<target>/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET="${FUZZ_SECONDS:-60}"
JOBS="${FUZZ_JOBS:-1}"
BUILD="${FUZZ_BUILD:-build-fuzz}"
ALL_TARGETS="settings_record old_cmd cmd_config_record cmd_config_file command_file encoder receive_framer"
TARGETS="${FUZZ_TARGETS:-$ALL_TARGETS}"

# clang and its fuzzer runtime, once.
need=()
command -v clang++ >/dev/null 2>&1 || need+=(clang)
if ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  need+=(libclang-rt-14-dev)
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "fuzz: installing ${need[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOMTRAX_FUZZ=ON >/dev/null
build_targets=()
for t in $TARGETS; do build_targets+=("fuzz_$t"); done
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target "${build_targets[@]}"

# The targets write their files under TMPDIR (tmpfs when there is one); a
# crashed run cannot clean up after itself, so all of it goes when we end.
scratch_base=/tmp
if [ -w /dev/shm ]; then scratch_base=/dev/shm; fi
export TMPDIR="$(mktemp -d "$scratch_base/comtrax-fuzz-run-XXXXXX")"
trap 'rm -rf "$TMPDIR"' EXIT

run_one() {
  local t="$1"
  local corpus="$BUILD/corpus/$t" artifacts="$BUILD/artifacts/$t/" log="$BUILD/logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  # The seeds and past finds are read but never written; new inputs go to the
  # build's own corpus.
  local status=0
  "./$BUILD/fuzz/fuzz_$t" "$corpus" "fuzz/seeds/$t" "fuzz/found/$t" \
    -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 \
    -artifact_prefix="$artifacts" -rss_limit_mb=4096 -timeout=30 >"$log" 2>&1 || status=$?
  echo "$status" >"$log.status"
}

# At most JOBS targets at a time: the machine's cores are shared.
running=0
for t in $TARGETS; do
  echo "fuzz: $t for ${SECONDS_PER_TARGET}s"
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$JOBS" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

# Executions and coverage from libFuzzer's final stats and last status line.
printf '\n%-18s %8s %12s %8s %8s %8s %s\n' target seconds executions exec/s cov ft result
failed=0
for t in $TARGETS; do
  log="$BUILD/logs/$t.log"
  status="$(cat "$log.status" 2>/dev/null || echo '?')"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  last="$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
  result=ok
  if [ "$status" != 0 ]; then
    result="FAILED (exit $status, see $log, input in $BUILD/artifacts/$t/)"
    failed=1
  fi
  printf '%-18s %8s %12s %8s %8s %8s %s\n' "$t" "$SECONDS_PER_TARGET" "${runs:-?}" "${speed:-?}" \
    "${cov:-?}" "${ft:-?}" "$result"
done
exit "$failed"
