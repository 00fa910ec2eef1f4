#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program and its window module: the engine runs without Qt and without the module, the window is
# loaded from the program's own folder, and a missing or broken module is a clear message, not a crash.
# Usage: window_module.sh TALVOR (the module talvor-window.so beside it).
set -u
talvor=$1
module=$(dirname "$talvor")/talvor-window.so
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

if readelf -d "$talvor" | grep -q 'NEEDED.*Qt'; then
    fail "the program itself links Qt: $(readelf -d "$talvor" | grep NEEDED | tr -s ' ')"
fi

# Each case: what sits beside the program, then what the window start must print on standard error.
cases=(
    "none|this build has no game window"
    "empty|the game window could not be loaded"
    "module|no display to show the game window on"
)
for case in "${cases[@]}"; do
    beside=${case%%|*} expected=${case#*|}
    dir=$work/$beside
    mkdir -p "$dir"
    cp "$talvor" "$dir/talvor"
    case $beside in
        empty) : >"$dir/talvor-window.so" ;;
        module) cp "$module" "$dir/" ;;
    esac
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$dir/talvor" 2>&1 </dev/null)
    status=$?
    [ "$status" -eq 1 ] || fail "$beside: the window start ended with status $status, not 1"
    grep -qF "$expected" <<<"$err" || fail "$beside: expected \"$expected\", got: $err"
    # Whatever the module, the engine answers.
    out=$(printf 'protover 2\nping 3\nquit\n' | timeout 20 "$dir/talvor" -xboard 2>&1)
    grep -qx 'pong 3' <<<"$out" || fail "$beside: the engine did not answer: $out"
done
[ "$failed" -eq 0 ] && echo "window module: ${#cases[@]} cases passed"
exit "$failed"
