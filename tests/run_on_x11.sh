#!/usr/bin/env bash
# Runs a test program against a private virtual X server, for what only a
# real X display has: the primary selection, and Qt's accessibility bridge,
# switched on as a screen reader's bus would switch it on (AT_SPI_BUS_ADDRESS)
# but given a bus that is not there, so no reader, the desktop's included,
# ever hears the tests. The server listens on no network port and is stopped
# when the program ends.
set -euo pipefail

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>"$fifo" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 60 number <"$fifo"
[ -n "$number" ] || { echo "run_on_x11: Xvfb did not start" >&2; exit 1; }

DISPLAY=":$number" QT_QPA_PLATFORM=xcb \
  DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/comtrax-test-bus" \
  AT_SPI_BUS_ADDRESS="unix:path=/nonexistent/comtrax-test-a11y-bus" \
  "$@"
