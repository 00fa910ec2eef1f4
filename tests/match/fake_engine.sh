#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A UCI engine that fails on purpose when asked to move, for the referee's fault tests. MODE: illegal (a move
# no side can make), crash (exits), hang (never answers), slow (answers after 0.6 s), claim (bestmove
# (none) while moves are left).
mode=$1
while read -r line; do
  case $line in
    uci) printf 'id name fake %s\nuciok\n' "$mode" ;;
    isready) echo readyok ;;
    go*)
      case $mode in
        illegal) echo "bestmove e2e5" ;;
        crash) exit 3 ;;
        hang) ;;
        slow) sleep 0.6; echo "bestmove a2a3" ;;
        claim) echo "bestmove (none)" ;;
      esac ;;
    quit) exit 0 ;;
  esac
done
