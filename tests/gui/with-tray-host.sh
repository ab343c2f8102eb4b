#!/usr/bin/env bash
# Runs a test under a private X server that has a real system tray (trayer), on Qt's xcb platform.
# Usage: with-tray-host.sh TEST [ARGS...]
set -euo pipefail
for tool in Xvfb trayer xwininfo; do
  command -v "$tool" >/dev/null || { echo "with-tray-host: $tool is missing (scripts/install-deps.sh test)" >&2; exit 1; }
done

workdir=$(mktemp -d)
x_pid= tray_pid=
cleanup() {
  [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
  [ -n "$x_pid" ] && kill "$x_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

# The server picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
x_pid=$!
for _ in $(seq 100); do [ -s "$workdir/display" ] && break; sleep 0.1; done
[ -s "$workdir/display" ] || { echo "with-tray-host: Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$workdir/display")"

trayer --edge top --align right --widthtype request --height 24 >"$workdir/trayer.log" 2>&1 &
tray_pid=$!
for _ in $(seq 100); do xwininfo -name panel >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name panel >/dev/null 2>&1 || { echo "with-tray-host: trayer did not start" >&2; exit 1; }

# The X tray of this server, not a desktop session's D-Bus tray.
unset DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb LANVEX_EXPECT_TRAY=1
"$@"
