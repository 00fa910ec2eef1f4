#!/usr/bin/env bash
# Sums up a PGN file of engine games: score of TalvorWBE, and every game lost on time or by an illegal move.
set -euo pipefail
pgn=${1:?usage: match-summary.sh games.pgn}
awk '
  /^\[White "/ { white = $0 }
  /^\[Black "/ { black = $0 }
  /^\[Result "/ {
    r = $2; gsub(/[\]"]/, "", r); n++
    tw = (white ~ /alvor/)
    if (r == "1-0") { if (tw) w++; else l++ }
    else if (r == "0-1") { if (tw) l++; else w++ }
    else if (r == "1/2-1/2") d++
    else other++
  }
  /time|illegal|Illegal|crash|disconnect|forfeit/ { print "  note: " $0; notes++ }
  END {
    printf "games %d: TalvorWBE won %d, lost %d, drew %d, unfinished %d\n", n, w, l, d, other
    printf "games ended by time, illegal move or crash (lines above): %d\n", notes
  }' "$pgn"
