#!/usr/bin/env bash
# Plays the engine against another xboard engine under XBoard on a virtual display, then sums up the games.
# usage: scripts/match.sh [GAMES] [MINUTES] [OPPONENT]    (defaults: 20 games, 1 minute, fairymax)
# Needs a build (build/bin/talvor) and the packages xboard, xvfb and the opponent.
set -euo pipefail
cd "$(dirname "$0")/.."
export PATH="$PATH:/usr/games"  # where Debian puts xboard and its engines
games=${1:-20}
minutes=${2:-1}
opponent=${3:-fairymax}
out=${MATCH_DIR:-$(mktemp -d /tmp/talvor-match.XXXXXX)}
mkdir -p "$out"
# Play a copy, so a rebuild during the match changes nothing.
cp build/bin/talvor build/bin/Talvor.ini build/bin/TalvorBook.* "$out"/
echo "match: $games games at $minutes min against $opponent; files in $out"
xvfb-run -a xboard -fcp "$out/talvor -xboard" -fd "$out" -scp "$opponent" \
  -mm -tc "$minutes" -mg "$games" -sgf "$out/games.pgn" -autoCallFlag true -xponder \
  -popupExitMessage false -debug -nameOfDebugFile "$out/xboard.debug" >/dev/null 2>&1 || true
scripts/match-summary.sh "$out/games.pgn"
