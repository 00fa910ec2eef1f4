#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program on a virtual X server of its own, with Qt's X11 platform. Exit 77 (skipped) when
# Xvfb is missing. Usage: run_on_xvfb.sh PROGRAM [ARGS...]
set -u
if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed"
    exit 77
fi
work=$(mktemp -d)
# Xvfb picks a free display itself and tells its number, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start: $(cat "$work/xvfb.log")"
    exit 1
fi
unset WAYLAND_DISPLAY
# No desktop bus on a virtual server: Qt would only try to reach one (and the bus library keeps what it
# allocated for that past the end, which the leak checker of the sanitizer build reports).
export DBUS_SESSION_BUS_ADDRESS=disabled:
DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb "$@"
