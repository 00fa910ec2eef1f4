// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the chessboard tests: positions from FEN placement text, a log of the control's events
// in the order they were raised, and the engine's board for side-by-side checks.
#pragma once
#include <QObject>
#include <QStringList>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardBas.h"
#include "gui/chessboard/wqzChessboard.h"

// "rnbqkbnr/pppppppp/8/..." (FEN placement, a8 first, up to the first blank) as the control's 128-character
// layout text.
inline QString LayoutFromFen(const std::string& sFen) {
    QString out;
    for (const char c : sFen.substr(0, sFen.find(' '))) {
        if (c >= '1' && c <= '8') out += QStringLiteral("XX").repeated(c - '0');
        if (c >= 'A') out += QString(c < 'a' ? 'W' : 'B') + QChar(c & ~0x20);
    }
    return out;
}

// Control piece kinds 0..11 are in the order kqrnbpKQRNBP.
inline int KindFromEngineCode(int nCode) {
    return static_cast<int>(std::string("kqrnbpKQRNBP").find(PieceLetter(nCode)[0]));
}

// The control's legal moves for the side to move, as "e2e4" (the promotion piece is asked for apart).
inline std::set<std::string> ControlLegalMoves(wqzChessboard& board) {
    std::set<std::string> s;
    for (int from = 1; from <= 64; ++from) {
        if (!board.SquareInfo(from).Occupied || board.SquareInfo(from).White != (board.SideTurn() == 0))
            continue;
        for (int to = 1; to <= 64; ++to)
            if (board.IsLegalMove(from, to))
                s.insert((board.SquareName(from) + board.SquareName(to)).toStdString());
    }
    return s;
}

// Records every event as text, e.g. "PieceMovement(W,e2,e4)", "PieceCapture(5)", "KingInCheck(B,mate)".
class EventLog : public QObject {
  public:
    static QString Side(bool bWhite) { return bWhite ? QStringLiteral("W") : QStringLiteral("B"); }
    explicit EventLog(wqzChessboard& b) {
        using C = wqzChessboard;
        connect(&b, &C::PieceMovement, this, [this](bool w, QString f, QString t) {
            Add("PieceMovement", {Side(w), f, t});
        });
        connect(&b, &C::PieceCapture, this, [this](int e) { Add("PieceCapture", {QString::number(e)}); });
        connect(&b, &C::KingInCheck, this, [this](bool w, bool mate) {
            Add("KingInCheck", {Side(w), mate ? "mate" : "check"});
        });
        connect(
            &b, &C::PawnPromotion, this,
            [this](bool w, int& eChoice) {
                Add("PawnPromotion", {Side(w), QString::number(eChoice)});
                eChoice = PromotionAnswer;
            },
            Qt::DirectConnection);
        connect(&b, &C::Stalemate, this, [this] { Events << QStringLiteral("Stalemate"); });
        connect(&b, &C::MoveUndo, this, [this](bool w) { Add("MoveUndo", {Side(w)}); });
    }
    void Add(const char* sName, const QStringList& args) { Events << sName + ("(" + args.join(',') + ")"); }
    QString Take() { return std::exchange(Events, {}).join(' '); }

    QStringList Events;
    int PromotionAnswer = 0;
};
