// Helpers shared by the chessboard tests: positions from FEN placement text, and a log of the control's
// events in the order they were raised.
#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

#include "gui/wqzChessboard.h"

// "rnbqkbnr/pppppppp/8/..." (FEN placement, a8 first) as the control's 128-character layout text.
inline QString LayoutFromFen(const char* sPlacement) {
    QString out;
    for (const char* p = sPlacement; *p; ++p) {
        const char c = *p;
        if (c == '/') continue;
        if (c >= '1' && c <= '8') {
            for (int i = 0; i < c - '0'; ++i) out += QStringLiteral("XX");
            continue;
        }
        const bool white = c >= 'A' && c <= 'Z';
        out += white ? QLatin1Char('W') : QLatin1Char('B');
        out += QLatin1Char(static_cast<char>(white ? c : c - 'a' + 'A'));
    }
    return out;
}

// Records every event as text, e.g. "PieceMovement(W,e2,e4)", "PieceCapture(5)", "KingInCheck(B,mate)".
class EventLog : public QObject {
  public:
    explicit EventLog(wqzChessboard& board) {
        connect(&board, &wqzChessboard::PieceMovement, this,
                [this](bool bWhite, const QString& f, const QString& t) {
                    Events << QStringLiteral("PieceMovement(%1,%2,%3)").arg(Side(bWhite), f, t);
                });
        connect(&board, &wqzChessboard::PieceCapture, this,
                [this](int e) { Events << QStringLiteral("PieceCapture(%1)").arg(e); });
        connect(&board, &wqzChessboard::KingInCheck, this, [this](bool bWhite, bool bMate) {
            Events << QStringLiteral("KingInCheck(%1,%2)").arg(Side(bWhite), bMate ? "mate" : "check");
        });
        connect(
            &board, &wqzChessboard::PawnPromotion, this,
            [this](bool bWhite, int& eChoice) {
                Events << QStringLiteral("PawnPromotion(%1,%2)").arg(Side(bWhite)).arg(eChoice);
                eChoice = PromotionAnswer;
            },
            Qt::DirectConnection);
        connect(&board, &wqzChessboard::Stalemate, this, [this] { Events << QStringLiteral("Stalemate"); });
        connect(&board, &wqzChessboard::MoveUndo, this,
                [this](bool bWhite) { Events << QStringLiteral("MoveUndo(%1)").arg(Side(bWhite)); });
    }
    static QString Side(bool bWhite) { return bWhite ? QStringLiteral("W") : QStringLiteral("B"); }
    QString Take() {
        const QString s = Events.join(QLatin1Char(' '));
        Events.clear();
        return s;
    }

    QStringList Events;
    int PromotionAnswer = 0;
};

// ---- The engine's board, for side-by-side checks ----
#include <set>
#include <string>
#include <vector>

#include "board/BoardBas.h"

// Control kind code of an engine piece code (-1 for empty squares and ghosts).
inline int KindFromEngineCode(int nCode) {
    static const int kKind[13] = {-1, 11, 5, 9, 3, 6, 0, 8, 2, 7, 1, 10, 4};
    return nCode >= 1 && nCode <= 12 ? kKind[nCode] : -1;
}

// Engine square of control square k (1 = a8 ... 64 = h1).
inline int EngineSquare(int k) {
    return (8 - (k - 1) / 8 + 1) * 10 + (k - 1) % 8 + 1;
}

// The engine's position as the control's layout text.
inline QString EngineLayout() {
    static const char* const kPair[12] = {"BK", "BQ", "BR", "BN", "BB", "BP",
                                          "WK", "WQ", "WR", "WN", "WB", "WP"};
    QString s;
    for (int k = 1; k <= 64; ++k) {
        const int kind = KindFromEngineCode(Board[EngineSquare(k)]);
        s += kind < 0 ? QStringLiteral("XX") : QString::fromLatin1(kPair[kind]);
    }
    return s;
}

// The engine's legal moves in the current position; the en-passant marker survives the trials.
inline std::vector<MoveRec> EngineLegalMoves() {
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
        if (ok) legal.push_back(m);
    }
    return legal;
}

// Moves as from * 100 + to in the control's square numbers; the promotion piece is asked for separately.
inline int ControlSquareOfEngine(int sq) {
    return (8 - RankOf(sq)) * 8 + FileOf(sq);
}
inline std::set<int> MoveSquares(const std::vector<MoveRec>& moves) {
    std::set<int> s;
    for (const MoveRec& m : moves)
        s.insert(ControlSquareOfEngine(m.From) * 100 + ControlSquareOfEngine(m.To));
    return s;
}

inline std::set<int> ControlLegalMoves(wqzChessboard& board) {
    std::set<int> s;
    const bool white = board.SideTurn() == 0;
    for (int from = 1; from <= 64; ++from) {
        const auto& sq = board.SquareInfo(from);
        if (!sq.Occupied || sq.White != white) continue;
        for (int to = 1; to <= 64; ++to)
            if (board.IsLegalMove(from, to)) s.insert(from * 100 + to);
    }
    return s;
}
