#!/usr/bin/env bash
# Takes the screenshots of docs/ from the real program on a virtual X server, driving its menus with the
# keyboard: default size after a first move, Small, Big, Italian with a menu open, the Woody colours, and
# the promotion popup. Usage: window_screenshots.sh TALVOR OUTDIR
set -eu
talvor=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
talvor_pid=
trap 'kill $talvor_pid $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.1; done
display=$(cat "$work/display")
export DISPLAY=":$display"
unset QT_QPA_PLATFORM
TALVOR_WINDOW_TRACE=1 "$talvor" 2>"$work/trace" &
talvor_pid=$!
until grep -q "^board at" "$work/trace"; do sleep 0.1; done

board() { grep "^board at" "$work/trace" | head -1; }
read -r _ _ bx by _ size < <(board)
sq=$((size / 8))
file() { printf '%d' "'${1:0:1}"; }
drag() {
    local fx=$((bx + ($(file "$1") - 97) * sq + sq / 2)) fy=$((by + (8 - ${1:1:1}) * sq + sq / 2))
    local tx=$((bx + ($(file "$2") - 97) * sq + sq / 2)) ty=$((by + (8 - ${2:1:1}) * sq + sq / 2))
    xdotool mousemove $fx $fy sleep 0.1 mousedown 1 sleep 0.1 mousemove $(((fx + tx) / 2)) $(((fy + ty) / 2))
    xdotool sleep 0.1 mousemove $tx $ty sleep 0.1 mouseup 1 sleep 0.4
}
# Opens the menu-bar title at x, then walks: "D" down, "R" into a submenu, "E" enter.
menu() {
    xdotool mousemove "$1" 8 click 1 sleep 0.3
    shift
    for k in "$@"; do
        case $k in
            D) xdotool key Down ;;
            R) xdotool key Right ;;
            E) xdotool key Return ;;
        esac
        sleep 0.1
    done
    sleep 0.5
}
shot() { import -window root -crop "${2:-720x640}+0+0" "$out/$1"; }

drag e2 e4
sleep 3
shot window.png 704x620
menu 133 D D D D D R D E # Board, GUI Board Size, Small
shot window-small.png 470x440
menu 133 D D D D D R D D D E # Big
shot window-big.png 840x720
menu 133 D D D D D R E # Default
menu 248 D E           # Language, Italiano
menu 78 D R            # Motore, Lato: leave it open
shot window-italian.png 704x620
xdotool key Escape Escape
menu 146 D D D D R D D D D D E # Scacchiera, Colori, Woody
shot window-woody.png 704x620
menu 78 D D R D E # Motore, Attivo, Off: two players
for m in h2h4 g7g5 h4g5 h7h6 g5h6 f8g7 h6g7 b8c6; do drag "${m:0:2}" "${m:2:2}"; done
drag g7 h8 &
sleep 1.5
shot window-promotion.png 704x620
xdotool key Down Return
wait || true
echo "screenshots in $out"
