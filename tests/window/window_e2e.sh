#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end on a real X server: starts talvor with no switch, drags the white e-pawn from e2 to e4 with
# real mouse events, checks that the engine's reply was played on the board and painted, then plays a
# second move by clicking the piece and its square.
# Usage: window_e2e.sh TALVOR [SCREENSHOT_DIR]. Exit 77 (skipped) when Xvfb or the X tools are missing.
set -u
talvor=$1
shots=${2:-}
for tool in Xvfb xdotool import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=
talvor_pid=
cleanup() {
    [ -n "$talvor_pid" ] && kill "$talvor_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- talvor's trace:"
    cat "$work/trace" 2>/dev/null
    exit 1
}

# Xvfb picks a free display itself and tells its number, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
for _ in $(seq 100); do
    display=$(cat "$work/display" 2>/dev/null)
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$display"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Wait up to $2 tenths of a second for a trace line matching $1 (for $3 such lines, if given).
wait_for() {
    for _ in $(seq "$2"); do
        [ "$(grep -c "$1" "$work/trace" 2>/dev/null)" -ge "${3:-1}" ] && return 0
        kill -0 "$talvor_pid" 2>/dev/null || fail "talvor ended early"
        sleep 0.1
    done
    return 1
}

TALVOR_WINDOW_TRACE=1 "$talvor" 2>"$work/trace" >"$work/stdout" &
talvor_pid=$!
wait_for "^board at" 150 || fail "the game window did not come up"
read -r _ _ bx by _ size < <(grep "^board at" "$work/trace")
sq=$((size / 8))
# Centre of a square by file (1..8) and rank (1..8), White at the bottom.
cx() { echo $((bx + ($1 - 1) * sq + sq / 2)); }
cy() { echo $((by + (8 - $1) * sq + sq / 2)); }

# The mean colour of each square, a8 first, one line each.
squares() {
    import -window root "$1.png"
    convert "$1.png" -crop "${size}x${size}+${bx}+${by}" +repage -scale '8x8!' -depth 8 txt:- |
        tail -n +2 | sed 's/.*#\([0-9A-F]\{6\}\).*/\1/' >"$1.txt"
}
squares "$work/before"
[ -n "$shots" ] && cp "$work/before.png" "$shots/e2e-before.png"

xdotool mousemove "$(cx 5)" "$(cy 2)"
sleep 0.2
xdotool mousedown 1
sleep 0.2
xdotool mousemove "$(cx 5)" "$(cy 3)"
sleep 0.1
xdotool mousemove "$(cx 5)" "$(cy 4)"
sleep 0.2
xdotool mouseup 1

wait_for "^board move white e2e4" 50 || fail "the drag did not play e2e4 on the board"
wait_for "^board move black" 200 || fail "the engine did not answer on the board"
sleep 0.5
squares "$work/after"
[ -n "$shots" ] && cp "$work/after.png" "$shots/e2e-after.png"

# Square index 0..63 from a8; the lines of the two files differ where the picture changed.
changed() { [ "$(sed -n "$(($1 + 1))p" "$work/before.txt")" != "$(sed -n "$(($1 + 1))p" "$work/after.txt")" ]; }
changed $((6 * 8 + 4)) || fail "e2 still looks the same"
changed $((4 * 8 + 4)) || fail "e4 still looks the same"
reply=$(grep "^board move black" "$work/trace" | head -1 | awk '{print $4}')
index() { echo $(((8 - ${1:1:1}) * 8 + $(printf '%d' "'${1:0:1}") - 97)); }
changed "$(index "${reply:0:2}")" || fail "the square the engine moved from ($reply) still looks the same"
changed "$(index "${reply:2:2}")" || fail "the square the engine moved to ($reply) still looks the same"

# The second move by two clicks: the knight, then its square (g1-f3, unless the reply stands there).
to=f3
[ "${reply:2:2}" = f3 ] && to=h3
xdotool mousemove "$(cx 7)" "$(cy 1)" click 1
sleep 0.2
xdotool mousemove "$(cx $(($(printf '%d' "'${to:0:1}") - 96)))" "$(cy "${to:1:1}")" click 1
wait_for "^board move white g1$to" 50 || fail "clicking g1, then $to, did not play the move"
wait_for "^board move black" 200 2 || fail "the engine did not answer the clicked move"
echo "PASS: e2e4 dragged, engine answered $reply on the board; g1$to clicked"
