#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two short games of talvor -uci against fairymax under XBoard, through the polyglot adapter as XBoard runs
# UCI engines: talvor plays White, then Black, at 40 moves in 20 seconds, and XBoard calls each game a
# draw after 12 moves (a long game). No game may end by a flag, an illegal move, a false claim or a lost
# engine, and every go must get its bestmove.
# Usage: uci_xboard_game.sh TALVOR [SWITCH ...] (e.g. -strong for the strong search). Exit 77 (skipped)
# when xboard, polyglot, fairymax or Xvfb is missing.
set -u
talvor=$1
shift
switches=${*:+ $*}
here=$(cd "$(dirname "$0")" && pwd)
export PATH="$PATH:/usr/games"  # where Debian puts xboard, polyglot and fairymax
for tool in xboard polyglot fairymax; do  # run_on_xvfb.sh skips without Xvfb
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    echo "--- games:"
    cat "$work/games.pgn" 2>/dev/null
    echo "--- the adapter's log, last lines:"
    tail -n 40 "$work/polyglot.log" 2>/dev/null
    exit 1
}

# XBoard and polyglot keep their settings in the home folder: give them one of their own.
mkdir "$work/home"
cd "$work" && HOME="$work/home" "$here/../window/run_on_xvfb.sh" timeout 120 xboard \
    -fcp "$talvor -uci$switches" -fd "$(dirname "$talvor")" -fUCI \
    -adapterCommand "polyglot -noini -log true -lf \"$work/polyglot.log\" -ec \"%fcp\" -ed \"%fd\"" \
    -scp fairymax -mm -mg 2 -tc 0:20 -mps 40 -adjudicateDrawMoves 12 \
    -autoCallFlag true -xponder -popupExitMessage false -saveSettingsOnExit false \
    -sgf "$work/games.pgn" >"$work/xboard.out" 2>&1
status=$?
[ "$status" -ne 77 ] || exit 77  # no Xvfb
[ "$status" -eq 0 ] || fail "xboard ended with status $status: $(tail -n 5 "$work/xboard.out")"

[ "$(grep -c '^\[Result "' "$work/games.pgn")" -eq 2 ] || fail "not two games"
grep -q '^\[White "Talvor"\]' "$work/games.pgn" || fail "talvor did not play White"
grep -q '^\[Black "Talvor"\]' "$work/games.pgn" || fail "talvor did not play Black"
# No game ends by a flag, an illegal move, a false claim or a lost engine.
while IFS= read -r ending; do
    case "$ending" in
        *[Tt]ime* | *[Ff]lag* | *[Ii]llegal* | *[Ff]alse* | *[Ff]orfeit* | *onnect* | *xit* | *rash*)
            fail "a game ended so: $ending" ;;
    esac
done < <(grep -o '{[^}]*} *\(1-0\|0-1\|1/2-1/2\|\*\)$' "$work/games.pgn")
[ "$(grep -c '{[^}]*} *\(1-0\|0-1\|1/2-1/2\)$' "$work/games.pgn")" -eq 2 ] || fail "a game has no ending"

# Every go the adapter sent got its bestmove, with clocks in the go lines.
gos=$(grep -c 'Adapter->Engine: go ' "$work/polyglot.log")
bests=$(grep -c 'Engine->Adapter: bestmove [a-h][1-8][a-h][1-8][qrbn]\?\( ponder [a-h][1-8][a-h][1-8][qrbn]\?\)\?$' "$work/polyglot.log")
[ "$gos" -ge 10 ] || fail "only $gos searches"
[ "$gos" -eq "$bests" ] || fail "$gos go lines but $bests bestmove lines"
grep -q 'Adapter->Engine: go wtime [0-9]* btime [0-9]* movestogo [0-9]*' "$work/polyglot.log" ||
    fail "no go with the clocks"
! grep "Engine->Adapter: info string" "$work/polyglot.log" | grep -v "info string book move" ||
    fail "talvor refused something"
echo "OK: 2 games, $bests moves searched through polyglot"
