// SPDX-License-Identifier: GPL-3.0-or-later
// Chess notation for the chessboard control's games: positions as FEN text, moves in SAN, games as PGN.
// The rules are the control's own: a hidden board replays what is to be written or checked.
#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class wqzChessboard;

struct FenPosition {
    QString Layout;  // the control's layout text, a8 first
    bool WhiteToMove = true;
    QString Castling = QStringLiteral("-");  // the rights the pieces allow, in KQkq order
    int EnPassantFile = 0;                   // 1..8 where a pawn can be taken en passant, else 0
    int HalfmoveClock = 0;
    int FullmoveNumber = 1;
};

// What is wrong with a FEN text.
enum class FenFault {
    None,
    Fields,
    Placement,
    Kings,
    Pawns,
    Material,
    Side,
    Castling,
    EnPassant,
    Counters,
    Check
};

// Reads a FEN: placement, side to move, castling and en passant, with or without the two move counters.
// Castling rights the pieces do not allow and an en-passant square no double step explains are dropped,
// as a chess interface would; anything else wrong rejects the text.
std::optional<FenPosition> ReadFen(const QString& sFen, FenFault* eFault = nullptr);
QString FenText(const FenPosition& position);
// The position on a board; the move counters are not the board's business and start afresh.
FenPosition PositionOf(const wqzChessboard& board);
inline bool IsStartPosition(const FenPosition& p) {
    return FenText(p) == QLatin1String("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
}

struct GameMove {
    QString From, To;   // square names, e2 e4; castling as the king's move
    int Promotion = 0;  // the control's kind code of the piece a pawn became, 0 for none
};

// Coordinate text (e2e4, e7e8q), as the engine reads and writes moves. The mover's colour gives a
// promotion's kind code; a text that is no move gives empty squares.
QString CoordinateText(const GameMove& m);
GameMove MoveOfCoordinates(const QString& sText, bool bWhite);
// The coordinate text's letter for a promotion's kind code ("q" for either queen), empty for none.
QString PromotionLetterOf(int nKind);

// The moves in SAN (Nf3, exd6, O-O, e8=Q+, Qh4#), played from the position given; the list ends early at a
// move that is not legal there.
QStringList SanMoves(const FenPosition& start, const std::vector<GameMove>& moves);

// The moves in SAN with their numbers from the position's move number: "12...", "Nf6", "13.", "e5".
QStringList NumberedSan(const FenPosition& start, const std::vector<GameMove>& moves);

// The Seven Tag Roster, in its order.
struct PgnTags {
    QString Event, Site, Date, Round, White, Black, Result;
};
// A PGN game: the tags (with SetUp and FEN when the game did not begin at the start position), the moves
// numbered from the position's move number, lines under 80 characters, the result at the end.
QString PgnText(const PgnTags& tags, const FenPosition& start, const std::vector<GameMove>& moves);
