#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/bench-compare.sh REV [PAIRS]: the speed of this working tree against revision REV.
# Builds both (Release, engine only) in a scratch folder, then runs talvor-bench 5 and the start position's
# perft to depth 6 for each in turn, PAIRS times (default 5), and prints both node counts and the median of
# the pair-by-pair speed ratios (this tree / REV). Speed is nodes per second of processor time of the whole
# process, which holds up better than the wall clock on a shared machine.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: scripts/bench-compare.sh REV [PAIRS]" >&2
  exit 2
fi
rev=$1
pairs=${2:-5}
case $pairs in '' | *[!0-9]* | 0) echo "PAIRS must be a positive number" >&2; exit 2 ;; esac

root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify --quiet "$rev^{commit}") || { echo "unknown revision: $rev" >&2; exit 2; }
[ -z "${BENCH_COMPARE_DIR:-}" ] || export TALVOR_REVISIONS_DIR=$BENCH_COMPARE_DIR
. "$root/scripts/build-revision.sh"
other=$(revision_build "$root" "$commit" talvor-bench talvor-perft)
head=$(head_build "$root" talvor-bench talvor-perft)

# Runs one tool; prints its node count, its processor seconds and a checksum of what it printed apart from
# the timings (the bench's moves and counts).
run() {  # binary, arguments...
  local out t sum TIMEFORMAT='%U %S'
  out=$(mktemp)
  t=$( { time "$@" >"$out" 2>/dev/null; } 2>&1)
  sum=$(grep -Ev '^(seconds|nps|cpu-)' "$out" | cksum | cut -d' ' -f1)
  awk -v t="$t" -v s="$sum" '/^nodes / { n = $2 } END { split(t, a, " "); printf "%s %.3f %s\n", n, a[1] + a[2], s }' "$out"
  rm -f "$out"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

compare() {  # label, tool, arguments...
  local label=$1 tool=$2
  shift 2
  local ratios="" a b an at as bn bt bs
  for ((i = 1; i <= pairs; i++)); do
    read -r an at as < <(run "$head/bin/$tool" "$@")
    read -r bn bt bs < <(run "$other/bin/$tool" "$@")
    a=$(awk -v n="$an" -v t="$at" 'BEGIN { printf "%.0f", n / t }')
    b=$(awk -v n="$bn" -v t="$bt" 'BEGIN { printf "%.0f", n / t }')
    ratios+="$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f", a / b }')"$'\n'
    printf '  %-6s pair %d: this tree %s nodes %.2f M/s, %s %s nodes %.2f M/s\n' "$label" "$i" "$an" \
      "$(awk -v x="$a" 'BEGIN { print x / 1e6 }')" "$rev" "$bn" "$(awk -v x="$b" 'BEGIN { print x / 1e6 }')"
  done
  [ "$as" = "$bs" ] || echo "  $label: OUTPUT DIFFERS (moves or counts)"
  printf '%-6s nodes %s (this tree) %s (%s), median speed ratio %s over %d pairs\n' "$label" "$an" "$bn" \
    "$rev" "$(printf '%s' "$ratios" | median)" "$pairs"
}

compare bench talvor-bench 5
compare perft talvor-perft startpos 6
