#!/usr/bin/env bash
# clang-tidy over the core modules (everything but the widgets, the Qt port and
# main), with the checks of .clang-tidy. Fails on any finding.
#   scripts/lint.sh [BUILD_DIR]      (needs BUILD_DIR/compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
if ! command -v clang-tidy >/dev/null 2>&1; then
  echo "lint: installing clang-tidy"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -qq --no-install-recommends clang-tidy >/dev/null
fi
[ -f "$BUILD/compile_commands.json" ] || cmake -S . -B "$BUILD" >/dev/null
files=$(git ls-files 'src/common/*.cpp' 'src/serial/*.cpp' 'src/log/*.cpp' 'src/transmit/*.cpp' \
  'src/receive/*.cpp' 'src/macros/*.cpp' 'src/settings/*.cpp' 'src/presentation/*.cpp' \
  'src/terminal/*.cpp')
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
for f in $files; do
  clang-tidy -p "$BUILD" --quiet "$f" >>"$out" 2>/dev/null || status=1
done
if grep -q "warning:\|error:" "$out"; then
  grep -A3 "warning:\|error:" "$out"
  echo "lint: $(grep -c 'warning:\|error:' "$out") findings"
  exit 1
fi
[ "$status" -eq 0 ] || { cat "$out"; exit 1; }
echo "lint: $(echo "$files" | wc -w) files of the core, no findings"
# Every text of the program has its translations.
python3 "$(dirname "$0")/translations.py" check
echo "lint: every text translated"
