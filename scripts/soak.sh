#!/usr/bin/env bash
# The long soak: the whole program, with its own timers, against a scripted
# device on a pty, the after-answer loop running and the log file on.
#
#   scripts/soak.sh [minutes] [soak_window options]    (10 minutes by default)
#
# Builds soak_window in $BUILD (default: build) and runs it; prints the line
# counts of both sides and the resident memory, and exits 0 on PASS.
# Options passed on: --timeout-ms T (receive timeout, 10), --tick-ms P (a
# device line every P ms, 100), --keep (keep the log and the transcript).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes="${1:-10}"
case "$minutes" in
  ''|*[!0-9]*|0) echo "usage: $0 [minutes] [--timeout-ms T] [--tick-ms P] [--keep]" >&2; exit 2 ;;
esac
shift $(( $# > 0 ? 1 : 0 ))

BUILD="${BUILD:-build}"
JOBS="${JOBS:-2}"
cmake -S . -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target soak_window
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" exec "./$BUILD/tests/soak_window" --seconds $((minutes * 60)) "$@"
