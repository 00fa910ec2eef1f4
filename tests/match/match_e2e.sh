#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# talvor-match through the real executables: a short match of our engine against itself at a tiny node
# count (every game ends with a result and its reason, the PGN reads cleanly), then each fault a UCI engine
# can make, played by a fake engine, counted against it with its game numbers.
# usage: match_e2e.sh TALVOR_MATCH TALVOR
set -euo pipefail
match=$1 talvor=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/out" 2>/dev/null; exit 1; }
# A sanitizer's report from the referee or one of its workers fails the test even when the match went on.
clean() { ! grep -q 'Sanitizer\|runtime error' "$work/out" || fail "$1: a sanitizer reports"; }

"$match" --engine "cmd=$talvor -uci -strong" name=strong --engine "cmd=$talvor -uci" name=design \
  --each option.OwnBook=false option.Hash=1 --nodes 300 --games 6 --concurrency 2 --random-plies 4 --seed 5 \
  --openings "$here/openings.tsv" --pgn "$work/games.pgn" --summary "$work/summary" --report 0 \
  >"$work/out" 2>&1 || fail "the match exits with $?"
clean "self-play"
grep -qx 'games=6' "$work/summary" || fail "not 6 games"
grep -qx 'faults=0' "$work/summary" || fail "faults in a match of our engine"
[ "$(grep -c '^\[Result "\(1-0\|0-1\|1/2-1/2\)"\]$' "$work/games.pgn")" = 6 ] || fail "a game without a result"
# Each game's moves end with its reason and the result of its Result tag.
awk '/^\[Result / { want = $2; gsub(/[]"]/, "", want) }
     /^\[/ || /^$/ { next }
     { last = $NF; text = text " " $0 }
     /(1-0|0-1|1\/2-1\/2)$/ { if (last != want || text !~ /\} *(1-0|0-1|1\/2-1\/2)$/) bad++; games++; text = "" }
     END { exit !(games == 6 && bad == 0) }' "$work/games.pgn" || fail "a game's last move text is not its result"
extract=$(command -v pgn-extract || echo /usr/games/pgn-extract)
if [ -x "$extract" ]; then
  complaints=$("$extract" -s -o /dev/null "$work/games.pgn" 2>&1) || fail "pgn-extract fails"
  [ -z "$complaints" ] || fail "pgn-extract: $complaints"
else
  echo "pgn-extract is missing: the PGN is not checked by it"
fi

# mode | limits | the fault's name in the summary
while IFS='|' read -r mode limits fault; do
  # shellcheck disable=SC2086
  "$match" --engine "cmd=$talvor -uci" name=talvor --engine "cmd=$here/fake_engine.sh $mode" name=fake \
    --each option.OwnBook=false option.Hash=1 --games 2 $limits --seed 1 --openings "$here/openings.tsv" \
    --summary "$work/summary" --report 0 >"$work/out" 2>&1 || fail "$mode: the match exits with $?"
  clean "$mode"
  grep -qx 'wins=2' "$work/summary" || fail "$mode: the fake engine does not lose both games"
  grep -q "^faults fake: 2 $fault (games 1, 2)$" "$work/out" || fail "$mode: no '2 $fault (games 1, 2)'"
  grep -q '^faults talvor: none$' "$work/out" || fail "$mode: faults put on talvor"
done <<'EOF'
illegal|--nodes 100|illegal move
crash|--nodes 100|crash
hang|--nodes 100 --timeout 0.5|hang
slow|--tc 0.3|time loss
slow|--tc 3 --timeout 0.3|illegal move
claim|--nodes 100|false claim
EOF
# On time against a bare king the game is drawn: the fake engine has the queen only in the second game.
printf '4k3/8/8/8/8/8/8/Q3K3 w - - 0 1\n' >"$work/queen.epd"
"$match" --engine "cmd=$talvor -uci" name=talvor option.Hash=1 --engine "cmd=$here/fake_engine.sh slow" name=fake \
  --games 2 --tc 0.3 --openings "$work/queen.epd" --summary "$work/summary" --report 0 >"$work/out" 2>&1 || fail "queen: exit $?"
clean queen
grep -qx 'wins=1' "$work/summary" && grep -qx 'draws=1' "$work/summary" || fail "queen: not a win and a draw"
echo "match end to end: passed"
