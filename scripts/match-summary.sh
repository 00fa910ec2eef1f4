#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sums up a PGN file of engine games from TalvorWBE's side: its score, the Elo difference that score means
# with its 95% margin, and every game that ended by a fault (time, illegal move, crash, false claim),
# whoever made it.
# usage: match-summary.sh [--engine NAME] games.pgn
#   NAME is TalvorWBE's name in the PGN tags (default: any name with "alvor" in it).
set -euo pipefail
engine=""
if [ "${1:-}" = "--engine" ]; then
  engine=$2
  shift 2
fi
pgn=${1:?usage: match-summary.sh [--engine NAME] games.pgn}
[ -r "$pgn" ] || { echo "no games: $pgn is missing"; exit 0; }
awk -v engine="$engine" '
  function ours(tag) {
    sub(/^\[(White|Black) "/, "", tag); sub(/"\]$/, "", tag)
    return engine == "" ? tag ~ /alvor/ : tag == engine
  }
  function elo(p) { return -400 * log(1 / p - 1) / log(10) }
  function shown(p) {
    if (p <= 0) return "-inf"
    if (p >= 1) return "+inf"
    return sprintf("%+.0f", elo(p))
  }
  /^\[White "/ { tw = ours($0) }
  /^\[Black "/ { tb = ours($0) }
  /^\[Result "/ {
    r = $2; gsub(/[\]"]/, "", r); n++
    x = -1
    if (r == "1-0") x = tw ? 1 : 0
    else if (r == "0-1") x = tb ? 1 : 0
    else if (r == "1/2-1/2") x = 0.5
    if (x < 0) { other++; next }
    counted++; s += x; s2 += x * x
    if (x == 1) w++; else if (x == 0) l++; else d++
  }
  /\{[^}]*(on time|[Ii]llegal|crash|disconnect|forfeit|[Ff]alse|stalled|exit|[Ii]nvalid)[^}]*\}/ {
    print "  fault: " $0; faults++
  }
  END {
    printf "games %d: won %d, lost %d, drew %d, unfinished %d\n", n, w, l, d, other
    if (counted > 0) {
      p = s / counted
      sd = sqrt(s2 / counted - p * p)
      m = 1.96 * sd / sqrt(counted)
      printf "score %.1f/%d (%.1f%%), Elo %s, 95%% interval %s to %s\n", s, counted, 100 * p, shown(p), shown(p - m), shown(p + m)
    }
    printf "faults: %d\n", faults
  }' "$pgn"
