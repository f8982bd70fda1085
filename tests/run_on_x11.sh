#!/usr/bin/env bash
# Runs a test program against a private virtual X server and a private
# accessibility bus, for what only a real desktop has: the X primary
# selection, and Qt's accessibility bridge, which tells screen readers of
# changes only while one could listen. The X server listens on no network
# port; the session bus, the accessibility bus its launcher starts and the
# X server are all stopped when the program ends, and none of them is the
# desktop's, so no screen reader of the user's ever hears the tests.
set -euo pipefail

scratch=$(mktemp -d)
mkfifo "$scratch/display"
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>"$scratch/display" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$scratch"' EXIT
read -r -t 60 number <"$scratch/display"
[ -n "$number" ] || { echo "run_on_x11: Xvfb did not start" >&2; exit 1; }

mkdir -m 700 "$scratch/runtime"
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime" GSETTINGS_BACKEND=memory
# The accessibility bus is started on demand; Qt's bridge then switches
# itself on as it does for a screen reader.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset AT_SPI_BUS_ADDRESS
dbus-run-session -- bash -c '
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
  exec "$@"' run_on_x11 "$@"
