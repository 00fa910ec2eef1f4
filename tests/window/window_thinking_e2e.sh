#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end on a real X server while the engine thinks (at depth 40, longer than the test lasts): the
# window repaints at a new size and opens its menu; New Game then leaves the start position with no
# engine move on it; Exit ends the program at once, the engine still thinking.
# Usage: window_thinking_e2e.sh TALVOR [SCREENSHOT_DIR]. Exit 77 (skipped) when Xvfb or the X tools are
# missing.
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

# Wait up to $2 tenths of a second for a trace line matching $1.
wait_for() {
    for _ in $(seq "$2"); do
        grep -q "$1" "$work/trace" 2>/dev/null && return 0
        kill -0 "$talvor_pid" 2>/dev/null || fail "talvor ended early"
        sleep 0.1
    done
    return 1
}

# A copy of the program with settings of its own and no book, so the engine thinks from its first move.
cp "$talvor" "$(dirname "$talvor")/talvor-window.so" "$work/"
printf '[Talvor]\nTalvorData=\n' >"$work/Talvor.ini"
TALVOR_WINDOW_TRACE=1 "$work/talvor" 2>"$work/trace" >"$work/stdout" &
talvor_pid=$!
wait_for "^menu mnuGame at" 150 || fail "the game window did not come up"
read -r _ _ bx by _ size < <(grep "^board at" "$work/trace")
read -r _ _ _ tx ty < <(grep "^command box at" "$work/trace")
read -r _ _ _ gx gy < <(grep "^menu mnuGame at" "$work/trace")
sq=$((size / 8))
window=$(xdotool search --name '^TalvorWBE$' | head -1)
[ -n "$window" ] || fail "no window named TalvorWBE"

squares() {
    import -window root "$1.png"
    convert "$1.png" -crop "${size}x${size}+${bx}+${by}" +repage -scale '8x8!' -depth 8 txt:- |
        tail -n +2 | sed 's/.*#\([0-9A-F]\{6\}\).*/\1/' >"$1.txt"
}
# Types a command into the command box; Enter sends it.
command() {
    xdotool mousemove "$tx" "$ty" click 1 sleep 0.2 key ctrl+a sleep 0.1 type "$1"
    xdotool key Return sleep 0.3
}
drag() {  # from and to: file and rank numbers
    xdotool mousemove $((bx + ($1 - 1) * sq + sq / 2)) $((by + (8 - $2) * sq + sq / 2)) sleep 0.2 mousedown 1
    xdotool sleep 0.2 mousemove $((bx + ($3 - 1) * sq + sq / 2)) $((by + (8 - $4) * sq + sq / 2)) sleep 0.2
    xdotool mouseup 1
}
think() {
    command "sd 40"
    drag 5 2 5 4
    wait_for "^board move white e2e4" 50 || fail "the drag did not play e2e4 on the board"
    sleep 1
    grep -q "^board move black" "$work/trace" && fail "the engine answered at depth 40"
}

squares "$work/start"
think

# At a new size, then at its own again, the board is painted while the engine thinks.
wait_for "^square painted $sq\$" 50 || fail "the board's squares were never painted"
read -r width height < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
xdotool windowsize "$window" $((width + 160)) $((height + 120))
for _ in $(seq 50); do tail -1 "$work/trace" | grep -q "^square painted" && break; sleep 0.1; done
last=$(grep "^square painted" "$work/trace" | tail -1)
[ "$last" != "square painted $sq" ] || fail "the board was not painted at the new size while the engine thought"
xdotool windowsize "$window" "$width" "$height"
for _ in $(seq 50); do [ "$(grep "^square painted" "$work/trace" | tail -1)" = "square painted $sq" ] && break; sleep 0.1; done
[ "$(grep "^square painted" "$work/trace" | tail -1)" = "square painted $sq" ] ||
    fail "the board was not painted at its own size again"
squares "$work/thinking"
cmp -s "$work/thinking.txt" "$work/start.txt" && fail "the picture shows no move e2e4"

# The Game menu opens while the engine thinks.
xdotool mousemove "$gx" "$gy" click 1
wait_for "^menu shown mnuGame" 50 || fail "the Game menu did not open while the engine thought"
sleep 0.3
[ -n "$shots" ] && import -window root -crop 720x640+0+0 "$shots/window-thinking-menu.png"

# New Game: the start position, and no engine move lands on it.
xdotool key Down sleep 0.1 key Return
sleep 2
grep -q "^board move black" "$work/trace" && fail "an engine move landed on the board after New Game"
squares "$work/new"
cmp -s "$work/start.txt" "$work/new.txt" || fail "the board does not show the start position after New Game"

# Exit while the engine thinks ends the program at once.
think
xdotool mousemove "$gx" "$gy" click 1
wait_for "^menu shown mnuGame" 50 || fail "the Game menu did not open"
sleep 0.3
xdotool key Up sleep 0.1 key Return  # up from the top wraps round to Exit, the last item
for _ in $(seq 30); do kill -0 "$talvor_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$talvor_pid" 2>/dev/null && fail "Exit did not end the program while the engine thought"
talvor_pid=
echo "PASS: repainted, menu opened and New Game kept the start position while the engine thought; Exit ended it"
