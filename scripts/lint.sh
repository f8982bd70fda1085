#!/usr/bin/env bash
# clang-tidy over every module of src/ (the core, the Qt port, the widgets and
# the program's main), with the checks of .clang-tidy. Fails on any finding.
#   scripts/lint.sh [BUILD_DIR]            every .cpp of src/, then the translations
#   scripts/lint.sh BUILD_DIR FILE...      only these files (the pre-commit hook):
#                                          a header is linted through the .cpp
#                                          beside it; files outside src/ are skipped
# Needs BUILD_DIR/compile_commands.json (made here when missing). LINT_JOBS
# files are linted at a time (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
shift || true

if ! command -v clang-tidy >/dev/null 2>&1; then
  echo "lint: installing clang-tidy"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -qq --no-install-recommends clang-tidy >/dev/null
fi
[ -f "$BUILD/compile_commands.json" ] || cmake -S . -B "$BUILD" >/dev/null

# Every folder of src/ that holds code is a module (app, common, ..., ui/kit).
mapfile -t modules < <(git ls-files 'src/*.cpp' 'src/*.h' | sed -E 's#^src/(.*)/[^/]+$#\1#' | sort -u)
checked=("${modules[@]}")
# A header is reported when it is reached as src/<module>/x.h or through a
# module's include root in the build tree, <build>/include/<id>/<module>/x.h.
# This is .clang-tidy's HeaderFilterRegex.
header_filter="(src|include/[a-z_]+)/($(IFS='|'; echo "${checked[*]}"))/[^/]+$"

files=()
if [ "$#" -gt 0 ]; then
  for f in "$@"; do
    case "$f" in
      src/*.h) f="${f%.h}.cpp" ;;
      src/*.cpp) ;;
      *) continue ;;
    esac
    [ -f "$f" ] || continue
    files+=("$f")
  done
  mapfile -t files < <(printf '%s\n' "${files[@]+"${files[@]}"}" | sed '/^$/d' | sort -u)
  if [ "${#files[@]}" -eq 0 ]; then
    echo "lint: nothing of src/ to lint"
    exit 0
  fi
else
  mapfile -t files < <(git ls-files 'src/*.cpp')
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export BUILD header_filter out
# One file: its findings go to out/<n>.txt; a file that clang-tidy cannot
# read (a compile error) fails too.
lint_one() {
  local f="$1" log
  log="$out/$(echo "$f" | tr '/' '_').txt"
  clang-tidy -p "$BUILD" --quiet --header-filter="$header_filter" "$f" >"$log" 2>"$log.err" \
    || echo "$f" >>"$out/failed"
}
export -f lint_one
printf '%s\n' "${files[@]}" | xargs -P "${LINT_JOBS:-$(nproc 2>/dev/null || echo 2)}" -I{} bash -c 'lint_one "$1"' _ {}

# A header's finding is reported by every file that includes it, by the path
# it was reached through: each is named once, by its path under src/.
report=$(cat "$out"/*.txt 2>/dev/null | sed -E "s#^$PWD/##; s#^[^ :]*/include/[a-z_]+/([^ :]+\.h:)#src/\1#" | awk '
  /^[^ ].*: (warning|error): / { skip = seen[$0]++ }
  !skip { print }' || true)
count=$(printf '%s\n' "$report" | grep -cE '^[^ ].*: (warning|error): ' || true)
if [ "$count" -gt 0 ]; then
  printf '%s\n' "$report"
  echo "lint: $count findings"
  exit 1
fi
if [ -f "$out/failed" ]; then
  while read -r f; do
    cat "$out/$(echo "$f" | tr '/' '_').txt.err"
  done <"$out/failed"
  echo "lint: clang-tidy failed on: $(tr '\n' ' ' <"$out/failed")"
  exit 1
fi
echo "lint: ${#files[@]} files of src/, no findings"
[ "$#" -gt 0 ] && exit 0
# Every text of the program has its translations.
python3 "$(dirname "$0")/translations.py" check
echo "lint: every text translated"
