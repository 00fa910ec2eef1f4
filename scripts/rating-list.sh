#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A rating list from PGN files of engine games: every player's Elo fitted to all its games at once
# (Bradley-Terry by maximum likelihood, a draw half a win for each side), one player anchored at a given
# Elo, with each figure's 95% margin given the others. Players that never met are linked through those
# they both played.
# usage: rating-list.sh NAME=ELO games.pgn ...
#   NAME is the anchor as its PGN tags name it; a name of the form ".../FOLDER/talvor ..." counts as FOLDER.
set -euo pipefail
anchor=${1:?usage: rating-list.sh NAME=ELO games.pgn ...}
shift
[ $# -gt 0 ] || { echo "rating-list: no games" >&2; exit 2; }
awk -v anchor="$anchor" '
  function player(tag) {
    sub(/^\[(White|Black) "/, "", tag); sub(/"\]$/, "", tag)
    if (tag ~ /\/talvor( |$)/) { sub(/\/talvor.*$/, "", tag); sub(/^.*\//, "", tag) }
    if (!(tag in games)) { games[tag] = 0; score[tag] = 0; names[++count] = tag }
    return tag
  }
  /^\[White "/ { w = player($0) }
  /^\[Black "/ { b = player($0) }
  /^\[Result "/ {
    r = $2; gsub(/[\]"]/, "", r)
    if (r == "1-0") x = 1; else if (r == "0-1") x = 0; else if (r == "1/2-1/2") x = 0.5; else next
    games[w]++; games[b]++; score[w] += x; score[b] += 1 - x
    met[w, b]++; met[b, w]++
  }
  END {
    split(anchor, a, "="); aname = a[1]; aelo = a[2]
    if (!(aname in games)) { print "rating-list: no games of the anchor " aname > "/dev/stderr"; exit 1 }
    # Zermelo iteration; a player with every point or none gets a small share so the fit stays finite.
    for (i = 1; i <= count; i++) {
      p = names[i]; g[p] = 1
      won[p] = score[p] < 0.25 ? 0.25 : (score[p] > games[p] - 0.25 ? games[p] - 0.25 : score[p])
    }
    for (it = 0; it < 5000; it++) {
      for (i = 1; i <= count; i++) {
        p = names[i]; d = 0
        for (j = 1; j <= count; j++) { q = names[j]; if ((p, q) in met) d += met[p, q] / (g[p] + g[q]) }
        ng[p] = won[p] / d
      }
      for (i = 1; i <= count; i++) g[names[i]] = ng[names[i]]
    }
    k = 400 / log(10)
    for (i = 1; i <= count; i++) {
      p = names[i]; elo[p] = k * log(g[p] / g[aname]) + aelo
      info = 0
      for (j = 1; j <= count; j++) {
        q = names[j]
        if ((p, q) in met) { e = g[p] / (g[p] + g[q]); info += met[p, q] * e * (1 - e) }
      }
      margin[p] = info > 0 ? 1.96 * k / sqrt(info) : 0
    }
    printf "%-24s %6s %7s %6s %6s\n", "player", "games", "score", "Elo", "95%"
    for (i = 1; i <= count; i++) {
      best = ""
      for (j = 1; j <= count; j++) { q = names[j]; if (!(q in shown) && (best == "" || elo[q] > elo[best])) best = q }
      shown[best] = 1
      printf "%-24s %6d %7.1f %6.0f %6s\n", best, games[best], score[best], elo[best], \
        best == aname ? "anchor" : sprintf("+-%.0f", margin[best])
    }
  }' "$@"
