#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/sprt.sh BASE_REV [talvor-match options]: this working tree's engine against revision BASE_REV.
# Builds both beside the tree (Release, engine only), plays them with talvor-match (by default an SPRT with
# elo0=0 elo1=5 alpha=beta=0.05 at 5+0.05 s, two games at once, Hash 16, no own book, from the shared
# openings) and appends one line to docs/strength-log.md: date, change, base, control, games, W/D/L, Elo with
# its error, LLR and verdict. Options given here replace those defaults (a limit of their own, --sprt,
# --concurrency) or add to them (--games caps the match). TALVOR_ARGS sets the engine's switches (default
# "-uci -strong"); the games go to SPRT_OUT (default a new folder under /tmp).
set -euo pipefail

if [ $# -lt 1 ] || [ "${1#-}" != "$1" ]; then
  echo "usage: scripts/sprt.sh BASE_REV [talvor-match options]" >&2
  exit 2
fi
base=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify --quiet "$base^{commit}") || { echo "unknown revision: $base" >&2; exit 2; }
. "$root/scripts/build-revision.sh"
other=$(revision_build "$root" "$commit" talvor talvor_data)
head=$(head_build "$root" talvor talvor_data talvor-match)

given() {  # whether any of the flags is among the options given
  local flag arg
  for flag in "$@"; do
    for arg in "${options[@]}"; do [ "$arg" = "$flag" ] && return 0; done
  done
  return 1
}
options=("$@")
defaults=()
given --tc --nodes --depth --st || defaults+=(--tc 5+0.05)
given --sprt || defaults+=(--sprt elo0=0 elo1=5 alpha=0.05 beta=0.05)
given --concurrency || defaults+=(--concurrency 2)
out=${SPRT_OUT:-$(mktemp -d /tmp/talvor-sprt.XXXXXX)}
mkdir -p "$out"
given --pgn || defaults+=(--pgn "$out/games.pgn")
args=${TALVOR_ARGS:--uci -strong}

nice -n 10 "$head/bin/talvor-match" --engine "cmd=$head/bin/talvor $args" name=new \
  --engine "cmd=$other/bin/talvor $args" name=base --each option.Hash=16 option.OwnBook=false \
  "${defaults[@]}" "$@" --summary "$out/summary" | tee "$out/result.txt"

# The log line: the change is the commits since the base (and any uncommitted work).
value() { sed -n "s/^$1=//p" "$out/summary"; }
change=$(git -C "$root" log --reverse --format=%s "$commit..HEAD" | awk 'NR > 1 { printf "; " } { printf "%s", $0 }')
[ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] || change="${change:+$change; }uncommitted changes"
change=${change:-no change}
[ ${#change} -le 400 ] || change="${change:0:397}..."
case $(value verdict) in
  H1) verdict="H1 accepted" ;;
  H0) verdict="H0 accepted" ;;
  undecided) verdict="no verdict" ;;
  *) verdict="no SPRT" ;;
esac
log="$root/docs/strength-log.md"
[ -f "$log" ] || printf '# Strength log\n\n| date | change | base | control | games | W/D/L | Elo | LLR | verdict |\n|---|---|---|---|---|---|---|---|---|\n' >"$log"
printf '| %s | %s | %s | %s | %s | %s/%s/%s | %s +- %s | %s (%s, %s) | %s |\n' "$(date +%F)" "${change//|/\\|}" \
  "$(git -C "$root" rev-parse --short "$commit")" "$(value control)" "$(value games)" "$(value wins)" \
  "$(value draws)" "$(value losses)" "$(value elo)" "$(value error)" "$(value llr)" "$(value lower)" \
  "$(value upper)" "$verdict" >>"$log"
echo "logged in docs/strength-log.md; games in $out"
