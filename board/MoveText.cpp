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
    std::string s = SquareText(m.From) + SquareText(m.To);
    if (m.Promotion != 0) {
        if (InGuiMode)
            PromotionLetter = PromotionText(m.Promotion);
        else
            s += PromotionText(m.Promotion);
    }
    return s;
}

static bool IsDigitAt(const std::string& s, size_t i) {
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

bool IsMoveText(const std::string& sLine) {
    return !IsDigitAt(sLine, 0) && IsDigitAt(sLine, 1) && !IsDigitAt(sLine, 2) && IsDigitAt(sLine, 3);
}

bool FindMoveFromText(const std::string& sLine, MoveRec& found) {
    MoveList list;
    GenerateMoves(list);
    // A trial make/unmake loses the en-passant marker; put it back after each trial.
    const int ghost = GhostSquare();
    for (int i = 0; i < list.Count; ++i) {
        MoveRec m = list.Move[i];
        std::string text = MoveToText(m);
        // The game window names the piece of a person's promotion; without a letter the queen is taken.
        if (InGuiMode && m.Promotion != 0 && sLine.size() == 5) text += PromotionLetter;
        if (text != sLine) continue;
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
