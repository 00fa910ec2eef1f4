#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures TalvorWBE's strength levels: each level plays the next one up, the top levels play fairymax,
# and one rating list over all the games, anchored on fairymax, gives every level its Elo with a 95%
# margin. Games between levels cost little, as a level searches a few thousand nodes a move.
# usage: scripts/strength-ladder.sh [--strong] [--games N] [--jobs J] [--anchor ELO] ELO ...
#   ELO ... are the levels asked (ForzaElo), lowest first; the last two also play fairymax at 0:10 + 0.1 s,
#   the levels each other at 0:30 + 0.3 s (their node limit, not the clock, bounds them). GAMES defaults to
#   20 a match, the anchor to 1950. The games stay in MATCH_DIR (default: a new folder under /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
strong=0 games=20 jobs=2 anchor=1950
while [ $# -gt 0 ]; do
  case "$1" in
    --strong) strong=1; shift ;;
    --games) games=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --anchor) anchor=$2; shift 2 ;;
    -*) echo "strength-ladder: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -ge 2 ] || { echo "usage: strength-ladder.sh [--strong] [--games N] [--jobs J] ELO ELO ..." >&2; exit 2; }
out=${MATCH_DIR:-$(mktemp -d /tmp/talvor-ladder.XXXXXX)}
bin=${TALVOR_BIN:-build/bin}
search=$([ "$strong" = 1 ] && echo S || echo D)

level() {  # ELO: a folder whose Talvor.ini plays at that level
  local dir="$out/$search$1"
  mkdir -p "$dir"
  cp "$bin"/talvor "$bin"/TalvorBook.* "$dir"/
  sed -e "s/^RicercaForte=.*/RicercaForte=$strong/" -e "s/^LimitaForza=.*/LimitaForza=1/" \
    -e "s/^ForzaElo=.*/ForzaElo=$1/" "$bin"/Talvor.ini >"$dir/Talvor.ini"
}

# --design only keeps gauntlet from adding -strong: each level's Talvor.ini chooses its search.
match() {  # FIRST-ELO OPPONENT TIME INC
  local opp=fairymax
  [ "$2" = fairymax ] || opp="cmd=$out/$search$2/talvor -xboard"
  MATCH_DIR="$out/$search$1-$2" TALVOR_BIN="$out/$search$1" scripts/gauntlet.sh --design --name "$search$1" \
    --games "$games" --time "$3" --inc "$4" "$opp" >"$out/$search$1-$2.log" 2>&1
}

levels=("$@")
for elo in "${levels[@]}"; do level "$elo"; done  # all before any game: a running engine cannot be replaced
echo "strength-ladder: levels ${levels[*]} ($([ "$strong" = 1 ] && echo strong || echo design) search), games in $out"
pairs=()
for ((i = 0; i + 1 < ${#levels[@]}; i++)); do pairs+=("${levels[i]} ${levels[i + 1]} 0:30 0.3"); done
pairs+=("${levels[-1]} fairymax 0:10 0.1" "${levels[-2]} fairymax 0:10 0.1")
running=0
for p in "${pairs[@]}"; do
  # shellcheck disable=SC2086
  match $p &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
done
wait
scripts/rating-list.sh "fairymax=$anchor" "$out"/*/*/games.pgn
