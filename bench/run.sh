#!/usr/bin/env bash
# Runs every benchmark and writes bench/results/ and docs/performance.md.
#   bash bench/run.sh [BUILD_DIR]      (make bench does this after building)
# Bench-only tools (the peer terminal CuteCom, Xvfb, xdotool) are installed
# here when missing; the main build does not need them.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"

need=()
command -v python3 >/dev/null || need+=(python3)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v cutecom >/dev/null || need+=(cutecom)
if [ ${#need[@]} -gt 0 ]; then
  echo "bench: installing ${need[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq || true
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" || echo "bench: could not install ${need[*]}"
fi

cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" \
  --target comtrax bench_device bench_window bench_startup bench_cmd_config bench_network bench_plot >/dev/null
# The plot's rows (a frame of a million points, 64 channels live, memory) on a private Xvfb.
echo "bench: plot"
xvfb-run -a -s "-screen 0 1920x1080x24" "$BUILD/bench/bench_plot" 2>/dev/null | grep '"measure"' \
  > bench/results/plot.jsonl || echo "bench: the plot's rows failed"
exec python3 bench/run_bench.py --build "$BUILD" "${@:2}"
