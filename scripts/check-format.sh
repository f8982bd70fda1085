#!/usr/bin/env bash
# The house layout (.clang-format) over every tracked C++ file of the project.
#   scripts/check-format.sh          fails, naming each file and line, where
#                                    the layout differs (CI runs this)
#   scripts/check-format.sh --fix    rewrites those files in place
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian 12's clang-format (14), the one the tree is laid out with.
if ! command -v clang-format >/dev/null 2>&1; then
  echo "format: installing clang-format"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -qq --no-install-recommends clang-format >/dev/null
fi
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "format: the files above differ from .clang-format; run 'make format'" >&2
  exit 1
fi
echo "format: ${#files[@]} files, all in the house layout"
