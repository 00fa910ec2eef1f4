// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/ChessNotation.h"

#include <QRegularExpression>
#include <array>
#include <cstdlib>
#include <utility>

#include "gui/chessboard/wqzChessboard.h"

namespace {

constexpr char PieceLetters[] = "KQRNBP";  // kind % 6
constexpr int King = 0, Pawn = 5, WhiteOffset = 6;
constexpr int WhiteKingHome = 61, BlackKingHome = 5;  // e1, e8 in the control's numbering

// Castling rights: the letter, and the king's and rook's home squares.
struct Right {
    QChar Letter;
    int King, Rook;
};
const std::array<Right, 4> Rights = {{{QLatin1Char('K'), WhiteKingHome, 64},
                                      {QLatin1Char('Q'), WhiteKingHome, 57},
                                      {QLatin1Char('k'), BlackKingHome, 8},
                                      {QLatin1Char('q'), BlackKingHome, 1}}};

// The piece on square k (1 = a8 .. 64 = h1) of a layout text as its FEN letter, or 0 for an empty square.
QChar LetterAt(const QString& sLayout, int k) {
    if (sLayout.size() < 2 * k) return QChar();
    const QChar colour = sLayout[2 * (k - 1)], piece = sLayout[2 * (k - 1) + 1];
    if (colour == QLatin1Char('X')) return QChar();
    return colour == QLatin1Char('W') ? piece : piece.toLower();
}

int SquareOf(int nFile, int nRank) {  // files and ranks 1..8
    return nFile + (8 - nRank) * 8;
}

bool ReadCounter(const QString& s, int nLeast, int& nValue) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < 0 || s.startsWith(QLatin1Char('+'))) return false;
    nValue = std::max(v, nLeast);
    return true;
}

// A hidden board holding the position, for the rules.
struct Scratch {
    explicit Scratch(const FenPosition& p) {
        board.SetPosition(p.Layout, p.WhiteToMove, p.Castling, p.EnPassantFile);
        QObject::connect(
            &board, &wqzChessboard::PawnPromotion, &board,
            [this](bool, int& eChoice) { eChoice = promotion; }, Qt::DirectConnection);
    }
    wqzChessboard board;
    int promotion = 0;
};

QString San(wqzChessboard& board, int nFrom, int nTo, int nPromotion) {
    const wqzChessboard::SquareRec from = board.SquareInfo(nFrom), to = board.SquareInfo(nTo);
    const int kind = from.Kind % 6;
    const QString target = board.SquareName(nTo);
    if (kind == King && std::abs(to.Col - from.Col) == 2)
        return to.Col == 7 ? QStringLiteral("O-O") : QStringLiteral("O-O-O");
    if (kind == Pawn) {
        QString san =
            to.Col != from.Col ? board.SquareName(nFrom).left(1) + QLatin1Char('x') + target : target;
        if (to.Row == 1 || to.Row == 8)
            san += QStringLiteral("=") + QLatin1Char(PieceLetters[nPromotion > 0 ? nPromotion % 6 : 1]);
        return san;
    }
    // Another piece of the same kind that could go there too: the file tells them apart, else the rank,
    // else both.
    bool other = false, sameFile = false, sameRank = false;
    for (int k = 1; k <= 64; ++k) {
        const wqzChessboard::SquareRec& s = board.SquareInfo(k);
        if (k == nFrom || !s.Occupied || s.Kind != from.Kind || !board.IsLegalMove(k, nTo)) continue;
        other = true;
        sameFile = sameFile || s.Col == from.Col;
        sameRank = sameRank || s.Row == from.Row;
    }
    const QString name = board.SquareName(nFrom);
    QString san = QString(QLatin1Char(PieceLetters[kind]));
    if (other && (!sameFile || sameRank)) san += name[0];
    if (other && sameFile) san += name[1];
    if (to.Occupied) san += QLatin1Char('x');
    return san + target;
}

}  // namespace

std::optional<FenPosition> ReadFen(const QString& sFen, FenFault* eFault) {
    auto fail = [eFault](FenFault f) -> std::optional<FenPosition> {
        if (eFault) *eFault = f;
        return std::nullopt;
    };
    if (eFault) *eFault = FenFault::None;
    const QStringList f = sFen.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (f.size() < 4 || f.size() > 6) return fail(FenFault::Fields);

    FenPosition p;
    const QStringList ranks = f[0].split(QLatin1Char('/'));
    if (ranks.size() != 8) return fail(FenFault::Placement);
    int count[128] = {};
    for (const QString& rank : ranks) {
        int squares = 0;
        for (const QChar c : rank) {
            if (c >= QLatin1Char('1') && c <= QLatin1Char('8')) {
                squares += c.unicode() - '0';
                p.Layout += QStringLiteral("XX").repeated(c.unicode() - '0');
            } else if (QString::fromLatin1(PieceLetters).contains(c.toUpper())) {
                ++squares;
                ++count[c.unicode()];
                p.Layout += (c.isUpper() ? QLatin1Char('W') : QLatin1Char('B')) + c.toUpper();
            } else {
                return fail(FenFault::Placement);
            }
        }
        if (squares != 8) return fail(FenFault::Placement);
    }
    if (count[int('K')] != 1 || count[int('k')] != 1) return fail(FenFault::Kings);
    for (int k = 1; k <= 64; ++k)
        if ((k <= 8 || k > 56) && LetterAt(p.Layout, k).toUpper() == QLatin1Char('P'))
            return fail(FenFault::Pawns);
    // No more pieces than promotions can give.
    for (const char* side : {"QRBNP", "qrbnp"}) {
        auto extra = [&](int i, int initial) { return std::max(0, count[int(side[i])] - initial); };
        if (count[int(side[4])] + extra(0, 1) + extra(1, 2) + extra(2, 2) + extra(3, 2) > 8)
            return fail(FenFault::Material);
    }

    const QString side = f[1].toLower();
    if (side != QLatin1String("w") && side != QLatin1String("b")) return fail(FenFault::Side);
    p.WhiteToMove = side == QLatin1String("w");

    if (f[2] != QLatin1String("-")) {
        if (!QRegularExpression(QStringLiteral("^K?Q?k?q?$")).match(f[2]).hasMatch())
            return fail(FenFault::Castling);
        p.Castling.clear();
        for (const Right& r : Rights) {
            const bool white = r.Letter.isUpper();
            if (f[2].contains(r.Letter) && LetterAt(p.Layout, r.King) == QLatin1Char(white ? 'K' : 'k') &&
                LetterAt(p.Layout, r.Rook) == QLatin1Char(white ? 'R' : 'r'))
                p.Castling += r.Letter;
        }
        if (p.Castling.isEmpty()) p.Castling = QStringLiteral("-");
    }

    if (f[3] != QLatin1String("-")) {
        if (!QRegularExpression(QStringLiteral("^[a-h][36]$")).match(f[3]).hasMatch())
            return fail(FenFault::EnPassant);
        // Only a pawn that has just passed the square explains it.
        const int file = f[3][0].unicode() - 'a' + 1, rank = f[3][1].unicode() - '0';
        const int dir = p.WhiteToMove ? 1 : -1;
        if (rank == (p.WhiteToMove ? 6 : 3) && LetterAt(p.Layout, SquareOf(file, rank)).isNull() &&
            LetterAt(p.Layout, SquareOf(file, rank + dir)).isNull() &&
            LetterAt(p.Layout, SquareOf(file, rank - dir)) == QLatin1Char(p.WhiteToMove ? 'p' : 'P'))
            p.EnPassantFile = file;
    }

    if (f.size() > 4 && !ReadCounter(f[4], 0, p.HalfmoveClock)) return fail(FenFault::Counters);
    if (f.size() > 5 && !ReadCounter(f[5], 1, p.FullmoveNumber)) return fail(FenFault::Counters);

    // The side that has just moved cannot have left its king attacked.
    Scratch s(p);
    const wqzChessboard& b = s.board;
    if (p.WhiteToMove ? b.IsSquareAttacked(false, b.BlackKingPosition())
                      : b.IsSquareAttacked(true, b.WhiteKingPosition()))
        return fail(FenFault::Check);
    return p;
}

QString FenText(const FenPosition& p) {
    QString placement;
    for (int row = 0; row < 8; ++row) {
        int empty = 0;
        for (int col = 1; col <= 8; ++col) {
            const QChar c = LetterAt(p.Layout, row * 8 + col);
            if (c.isNull()) {
                ++empty;
                continue;
            }
            if (empty) placement += QString::number(std::exchange(empty, 0));
            placement += c;
        }
        if (empty) placement += QString::number(empty);
        if (row < 7) placement += QLatin1Char('/');
    }
    const QString ep =
        p.EnPassantFile ? QString(QChar('a' + p.EnPassantFile - 1)) + QLatin1Char(p.WhiteToMove ? '6' : '3')
                        : QStringLiteral("-");
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(placement, p.WhiteToMove ? QStringLiteral("w") : QStringLiteral("b"), p.Castling, ep)
        .arg(p.HalfmoveClock)
        .arg(p.FullmoveNumber);
}

FenPosition PositionOf(const wqzChessboard& board) {
    FenPosition p;
    p.Layout = board.LayoutText();
    p.WhiteToMove = board.SideTurn() == 0;
    p.Castling.clear();
    for (const Right& r : Rights) {
        const wqzChessboard::SquareRec &king = board.SquareInfo(r.King), &rook = board.SquareInfo(r.Rook);
        const int offset = r.Letter.isUpper() ? WhiteOffset : 0;
        if (king.Occupied && king.Kind == King + offset && !king.Moved && rook.Occupied &&
            rook.Kind == 2 + offset && !rook.Moved)
            p.Castling += r.Letter;
    }
    if (p.Castling.isEmpty()) p.Castling = QStringLiteral("-");
    p.EnPassantFile = board.EnPassantIsPossible() ? board.EnPassantFileNumber() : 0;
    return p;
}

QString PromotionLetterOf(int nKind) {
    const int piece = nKind % 6;
    return nKind > 0 && nKind < 12 && piece >= 1 && piece <= 4
               ? QString(QLatin1Char(PieceLetters[piece])).toLower()
               : QString();
}

QString CoordinateText(const GameMove& m) {
    return m.From + m.To + PromotionLetterOf(m.Promotion);
}

GameMove MoveOfCoordinates(const QString& sText, bool bWhite) {
    GameMove m{sText.left(2), sText.mid(2, 2), 0};
    const int piece = sText.size() == 5 ? QString::fromLatin1(PieceLetters).indexOf(sText[4].toUpper()) : 0;
    if (piece >= 1 && piece <= 4) m.Promotion = piece + (bWhite ? 6 : 0);
    return m;
}

QStringList SanMoves(const FenPosition& start, const std::vector<GameMove>& moves) {
    Scratch s(start);
    wqzChessboard& b = s.board;
    QStringList out;
    for (const GameMove& m : moves) {
        const int from = b.SquareFromName(m.From), to = b.SquareFromName(m.To);
        if (from < 0 || to < 0 || !b.IsLegalMove(from, to)) break;
        QString san = San(b, from, to, m.Promotion);
        const bool mover = b.SideTurn() == 0;
        s.promotion = m.Promotion;
        if (!b.MovePiece(m.From, m.To)) break;
        const int king = mover ? b.BlackKingPosition() : b.WhiteKingPosition();
        if (b.IsSquareAttacked(!mover, king)) san += b.IsCheckmate(!mover, king) ? '#' : '+';
        out << san;
    }
    return out;
}

QStringList NumberedSan(const FenPosition& start, const std::vector<GameMove>& moves) {
    QStringList tokens;
    int number = start.FullmoveNumber;
    bool white = start.WhiteToMove;
    const QStringList san = SanMoves(start, moves);
    for (int i = 0; i < san.size(); ++i, white = !white) {
        if (white)
            tokens << QStringLiteral("%1.").arg(number);
        else if (i == 0)
            tokens << QStringLiteral("%1...").arg(number);
        tokens << san[i];
        if (!white) ++number;
    }
    return tokens;
}

QString PgnText(const PgnTags& tags, const FenPosition& start, const std::vector<GameMove>& moves) {
    auto tag = [](const char* sName, QString sValue) {
        sValue.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('"'), QLatin1String("\\\""));
        return QStringLiteral("[%1 \"%2\"]\n").arg(QLatin1String(sName), sValue);
    };
    QString text = tag("Event", tags.Event) + tag("Site", tags.Site) + tag("Date", tags.Date) +
                   tag("Round", tags.Round) + tag("White", tags.White) + tag("Black", tags.Black) +
                   tag("Result", tags.Result);
    if (!IsStartPosition(start)) text += tag("SetUp", QStringLiteral("1")) + tag("FEN", FenText(start));
    text += QLatin1Char('\n');

    QStringList tokens = NumberedSan(start, moves);
    tokens << tags.Result;
    QString line;
    for (const QString& t : tokens) {
        if (!line.isEmpty() && line.size() + 1 + t.size() > 79) {
            text += line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + t;
    }
    return text + line + QLatin1Char('\n');
}
