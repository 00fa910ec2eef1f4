#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the engine against another xboard engine under XBoard on a virtual display, then sums up the games.
# usage: scripts/match.sh [--uci] [--inc SECONDS] [--mps MOVES] [GAMES] [TIME] [OPPONENT]
#   GAMES defaults to 20, TIME (minutes, or min:sec) to 1, OPPONENT to fairymax. Without --inc XBoard
#   gives MOVES (default 40) moves per TIME; with it, the whole game in TIME plus SECONDS a move.
#   --uci runs talvor -uci through the polyglot adapter, as XBoard runs UCI engines.
# Needs a build (build/bin/talvor) and the packages xboard, xvfb, the opponent (and polyglot for --uci).
set -euo pipefail
cd "$(dirname "$0")/.."
export PATH="$PATH:/usr/games"  # where Debian puts xboard, polyglot and the engines
control=()
uci=false
while [ $# -gt 0 ]; do
  case "$1" in
    --uci) uci=true; shift ;;
    --inc) control+=(-inc "$2"); shift 2 ;;
    --mps) control+=(-mps "$2"); shift 2 ;;
    *) break ;;
  esac
done
games=${1:-20}
minutes=${2:-1}
opponent=${3:-fairymax}
out=${MATCH_DIR:-$(mktemp -d /tmp/talvor-match.XXXXXX)}
mkdir -p "$out"
# Play a copy, so a rebuild during the match changes nothing.
cp build/bin/talvor build/bin/Talvor.ini build/bin/TalvorBook.* "$out"/
engine=(-fcp "$out/talvor -xboard")
if $uci; then
  polyglot=$(command -v polyglot) || { echo "match: --uci needs polyglot (apt-get install polyglot)" >&2; exit 1; }
  engine=(-fcp "$out/talvor -uci" -fUCI -adapterCommand "$polyglot -noini -ec \"%fcp\" -ed \"%fd\"")
fi
echo "match: $games games at $minutes min ${control[*]} against $opponent$($uci && echo ' (UCI)'); files in $out"
xvfb-run -a xboard "${engine[@]}" -fd "$out" -scp "$opponent" \
  -mm -tc "$minutes" "${control[@]}" -mg "$games" -sgf "$out/games.pgn" -autoCallFlag true -xponder \
  -popupExitMessage false -debug -nameOfDebugFile "$out/xboard.debug" >/dev/null 2>&1 || true
scripts/match-summary.sh "$out/games.pgn"
