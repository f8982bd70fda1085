#!/usr/bin/env bash
# The program as a user gets it: installs into a temporary prefix, validates the
# desktop entry and the AppStream metainfo, starts the installed program the way
# the menu does (its files go to the user's data directory, not the launcher's
# directory), builds the Debian package and, as root on a machine without
# Comtrax installed, installs and removes it with apt.
# Usage: scripts/check-install.sh [build-dir]   (reuses an existing build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}

cmake -S . -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target comtrax >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$BUILD" --prefix "$prefix" >/dev/null
echo "== installed into a temporary prefix"
(cd "$prefix" && find . -type f | sort)

echo "== desktop entry"
desktop-file-validate "$prefix/share/applications/org.comtrax.Comtrax.desktop"
echo "valid"
echo "== metainfo"
appstreamcli validate --no-net "$prefix/share/metainfo/org.comtrax.Comtrax.metainfo.xml"
echo "== manual page"
man -l "$prefix/share/man/man1/comtrax.1.gz" 2>/dev/null | head -3 || true

echo "== command line"
"$prefix/bin/comtrax" --version
status=0
"$prefix/bin/comtrax" --baud fast 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "a bad argument gave status $status, not 2"; exit 1; }
echo "a bad argument: status 2"

echo "== started as the menu starts it"
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/org.comtrax.Comtrax.desktop")
mkdir -p "$work/home" "$work/launcher"
(cd "$work/launcher" && HOME=$work/home XDG_DATA_HOME='' QT_QPA_PLATFORM=offscreen \
  eval exec "$prefix/bin/$exec_line") &
pid=$!
for _ in $(seq 100); do
  [ -f "$work/home/.local/share/comtrax/CmdConfig" ] && break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -f "$work/home/.local/share/comtrax/CmdConfig" ] || { echo "no CmdConfig in ~/.local/share/comtrax"; exit 1; }
[ -z "$(ls -A "$work/launcher")" ] || { echo "files left in the launcher's directory"; exit 1; }
echo "$exec_line: files in ~/.local/share/comtrax ($(ls "$work/home/.local/share/comtrax" | tr '\n' ' ')), none in the launcher's directory"

echo "== Debian package"
rm -f "$BUILD"/comtrax_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD"/comtrax_*.deb)
echo "$deb"
dpkg-deb -f "$deb" Package Version Depends

if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W comtrax >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "$(realpath "$deb")" >/dev/null
  /usr/bin/comtrax --version
  apt-get remove -y -qq comtrax >/dev/null
  if dpkg-query -W -f='${Status}' comtrax 2>/dev/null | grep -q installed || [ -e /usr/bin/comtrax ]; then
    echo "the package did not remove cleanly"; exit 1
  fi
  echo "installed with apt and removed cleanly"
fi
echo "check-install: all good"
