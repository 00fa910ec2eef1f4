#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays TalvorWBE against each of several engines under XBoard on a virtual display, from a fixed set of
# openings, each opening twice with the colours swapped, and sums up every match: score, Elo difference
# with its 95% margin, and every fault (time loss, illegal move, crash, false claim).
# usage: scripts/gauntlet.sh [--uci] [--design] [--ponder] [--games N] [--time MIN|MIN:SEC] [--inc SECONDS]
#                            [--jobs J] [--cores N] [--options "NAME=VALUE,..."] [--name NAME] [OPPONENT ...]
#   TalvorWBE plays with the strong search unless --design; --uci runs it through polyglot. --ponder lets
#   both engines think in the other's time and counts how often TalvorWBE foresaw the reply.
#   OPPONENT is a Debian engine (fairymax, phalanx, gnuchess, hoichess; glaurung, toga2 and stockfish speak
#   UCI and play through polyglot), "design" (TalvorWBE's design search), "cmd=COMMAND" (any xboard engine's
#   command line) or "uci=COMMAND" (any UCI engine's); default: fairymax. GAMES defaults to 40, the control to 0:30 + 0.3 s a move.
#   --options sets TalvorWBE's engine options at the start of each game (e.g. "LimitaForza=1,ForzaElo=1400")
#   and --name names it so in the games.
#   --jobs plays that many matches at once (one core each: keep it at most the number of cores).
#   --cores lets XBoard offer each engine N cores (its threads; default 1).
# TALVOR_BIN=FOLDER plays the talvor of that folder instead of build/bin. Needs a build, xboard, xvfb, the opponents and polyglot for --uci; the openings come
# from ../shared/data/openings/openings.tsv (or OPENINGS=FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
export PATH="$PATH:/usr/games"
uci=false search=-strong games=40 time=0:30 inc=0.3 jobs=1 cores=1 ponder=-xponder options="" name=""
while [ $# -gt 0 ]; do
  case "$1" in
    --uci) uci=true; shift ;;
    --design) search=""; shift ;;
    --ponder) ponder=-ponder; shift ;;
    --games) games=$2; shift 2 ;;
    --time) time=$2; shift 2 ;;
    --inc) inc=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --cores) cores=$2; shift 2 ;;
    --options) options=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    -*) echo "gauntlet: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || set -- fairymax
openings=${OPENINGS:-../shared/data/openings/openings.tsv}
[ -r "$openings" ] || { echo "gauntlet: no openings file $openings" >&2; exit 1; }
out=${MATCH_DIR:-$(mktemp -d /tmp/talvor-gauntlet.XXXXXX)}
mkdir -p "$out"
bin=${TALVOR_BIN:-build/bin}
cp "$bin"/talvor "$bin"/Talvor.ini "$bin"/TalvorBook.* "$out"/

# games/2 openings of 6 to 10 plies, spread evenly over the file, as a PGN file XBoard loads in turn.
awk -F'\t' -v want=$(((games + 1) / 2)) '
  NR > 1 { n = split($4, m, " "); if (n >= 6 && n <= 10) pgn[++k] = $3 }
  END {
    for (i = 0; i < want; i++) {
      j = int(i * k / want) + 1
      printf "[Event \"opening %d\"]\n[Result \"*\"]\n\n%s *\n\n", i + 1, pgn[j]
    }
  }' "$openings" >"$out/openings.pgn"

name=${name:-"Talvor${search:+ strong}"}
if $uci; then
  polyglot=$(command -v polyglot) || { echo "gauntlet: --uci needs polyglot" >&2; exit 1; }
  first=(-fcp "$out/talvor -uci $search" -fUCI -adapterCommand "$polyglot -noini -ec \"%fcp\" -ed \"%fd\"")
  name="$name (UCI)"
else
  first=(-fcp "$out/talvor -xboard $search")
fi

folder() {  # an opponent's folder under $out
  local f=${1#*=}
  echo "$out/${f//[^A-Za-z0-9_.-]/_}"
}

play() {  # opponent -> its folder's games.pgn
  local opp=$1 dir second
  dir=$(folder "$opp")
  mkdir -p "$dir"
  case "$opp" in
    design) second=(-scp "$out/talvor -xboard" -sn "Talvor") ;;
    gnuchess) second=(-scp "$PWD/scripts/gnuchess-fed.sh" -sn gnuchess) ;;
    cmd=*) second=(-scp "${opp#cmd=}" -sn "${opp#cmd=}") ;;
    uci=*) second=(-scp "${opp#uci=}" -sn "${opp#uci=}" -sUCI) ;;
    glaurung | toga2 | stockfish) second=(-scp "$opp" -sn "$opp" -sUCI) ;;
    *) second=(-scp "$opp" -sn "$opp") ;;
  esac
  xvfb-run -a xboard "${first[@]}" -fd "$out" -fn "$name" -firstOptions "$options" "${second[@]}" -sd "$out" \
    -mm -tc "$time" -inc "$inc" -smpCores "$cores" -mg "$games" -lgf "$out/openings.pgn" -lgi -2 -rewindIndex 0 \
    -sgf "$dir/games.pgn" -autoCallFlag true -testClaims true "$ponder" -popupExitMessage false -animateMoving false \
    -debug -nameOfDebugFile "$dir/xboard.debug" >/dev/null 2>&1 || true
}

echo "gauntlet: $name, $games games a match at $time + $inc s, openings in $out/openings.pgn"
running=0
for opp in "$@"; do
  play "$opp" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
done
wait
for opp in "$@"; do
  echo "== $name against $opp"
  scripts/match-summary.sh --engine "$name" "$(folder "$opp")/games.pgn"
  if [ "$ponder" = -ponder ] && ! $uci; then
    # The reply TalvorWBE expected is the second move of its last line before its move.
    awk '$2 == "<first" && $4 ~ /^[0-9]+$/ && NF >= 9 { expected = $9 }
         $2 == "<first" && $4 == "move" { pending = expected; expected = "" }
         $2 == ">first" && $4 ~ /^[a-h][1-8][a-h][1-8][qrbn]?$/ && pending != "" {
           n++; hits += ($4 == pending); pending = "" }
         END { if (n) printf "ponder hits: %d of %d replies (%.0f%%)\n", hits, n, 100 * hits / n }' \
      "$(folder "$opp")/xboard.debug"
  fi
done
