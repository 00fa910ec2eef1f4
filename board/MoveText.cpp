// SPDX-License-Identifier: GPL-3.0-or-later
// Move text: coordinate notation in and out.
#include "board/BoardBas.h"

static std::string PromotionText(int nPromotion) {
    switch (nPromotion) {
        case WhiteKnight:
        case BlackKnight:
            return "n";
        case WhiteRook:
        case BlackRook:
            return "r";
        case WhiteQueen:
        case BlackQueen:
            return "q";
        case WhiteBishop:
        case BlackBishop:
            return "b";
    }
    return "";
}

std::string MoveToText(const MoveRec& m) {
    return SquareText(m.From) + SquareText(m.To) + PromotionText(m.Promotion);
}

static bool IsDigitAt(const std::string& s, size_t i) {
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

bool IsMoveText(const std::string& sLine) {
    return !IsDigitAt(sLine, 0) && IsDigitAt(sLine, 1) && !IsDigitAt(sLine, 2) && IsDigitAt(sLine, 3);
}

std::vector<MoveRec> LegalMoves() {
    MoveList list;
    GenerateMoves(list);
    const int ghost = GhostSquare();
    std::vector<MoveRec> legal;
    for (int i = 0; i < list.Count; ++i) {
        MoveRec m = list.Move[i];
        MakeMove(m);
        const bool ok = IsLegalAfterMove(m);
        UnmakeMove(m);
        RestoreGhost(ghost);
        if (ok) legal.push_back(list.Move[i]);
    }
    return legal;
}

bool FindMoveFromText(const std::string& sLine, MoveRec& found) {
    MoveList list;
    GenerateMoves(list);
    // A trial make/unmake loses the en-passant marker; put it back after each trial.
    const int ghost = GhostSquare();
    for (int i = 0; i < list.Count; ++i) {
        MoveRec m = list.Move[i];
        if (MoveToText(m) != sLine) continue;
        MakeMove(m);
        const bool legal = IsLegalAfterMove(m);
        UnmakeMove(m);
        RestoreGhost(ghost);
        if (legal) {
            found = m;
            return true;
        }
    }
    return false;
}
