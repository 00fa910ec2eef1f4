#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the screenshots of docs/ from the real program on a virtual X server, playing with the mouse and
# driving its menus with the keyboard: default size after a first move with a knight picked, Small, Big, a
# wide window, Italian with a menu open, the Woody colours, a Black promotion with two players, and a mate.
# Usage: window_screenshots.sh TALVOR OUTDIR
set -eu
talvor=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
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
window=$(xdotool search --name TalvorWBE | head -1)

read -r _ _ bx by _ size < <(grep "^board at" "$work/trace" | head -1)
sq=$((size / 8))
file() { printf '%d' "'${1:0:1}"; }
x() { echo $((bx + ($(file "$1") - 97) * sq + sq / 2)); }
y() { echo $((by + (8 - ${1:1:1}) * sq + sq / 2)); }
drag() {
    xdotool mousemove "$(x "$1")" "$(y "$1")" sleep 0.1 mousedown 1 sleep 0.1
    xdotool mousemove $((($(x "$1") + $(x "$2")) / 2)) $((($(y "$1") + $(y "$2")) / 2)) sleep 0.1
    xdotool mousemove "$(x "$2")" "$(y "$2")" sleep 0.1 mouseup 1 sleep 0.3
}
click() { xdotool mousemove "$(x "$1")" "$(y "$1")" sleep 0.1 click 1 sleep 0.3; }
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
shot() { import -window root -crop "${2:-704x601}+0+0" "$out/$1"; }

drag e2 e4
sleep 3
click g1 # picked: its squares are marked
shot window.png
click g1
menu 133 D D D D D R D E # Board, GUI Board Size, Small
shot window-small.png 466x430
menu 133 D D D D D R D D D E # Big
shot window-big.png 830x710
xdotool windowsize "$window" 1000 640
sleep 1
shot window-wide.png 1000x640
menu 133 D D D D D R E # Default
menu 248 D E           # Language, Italiano
menu 78 D R            # Motore, Lato: leave it open
shot window-italian.png
xdotool key Escape Escape
menu 146 D D D D R D D D D D E # Scacchiera, Colori, Woody
shot window-woody.png
menu 78 D D R D E # Motore, Attivo, Off: two players
menu 30 D E       # Gioco, Nuova Partita
for m in a2a4 h7h5 a4a5 h5h4 a5a6 h4h3 a6b7 h3g2 g1f3; do drag "${m:0:2}" "${m:2:2}"; done
drag g2 h1 &
drag_pid=$!
sleep 1.5
shot window-promotion.png
xdotool key Down Down Down Down Return # Cavallo
wait $drag_pid
menu 275 D D E # Language, English
menu 30 D E    # Chess, New Game
for m in f2f3 e7e5 g2g4 d8h4; do drag "${m:0:2}" "${m:2:2}"; done
sleep 0.5
xdotool key Return # the message box
sleep 0.5
shot window-result.png
echo "screenshots in $out"
