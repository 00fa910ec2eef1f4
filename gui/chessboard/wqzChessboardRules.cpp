// SPDX-License-Identifier: GPL-3.0-or-later
// The chessboard control's own rules: set-up, move validation, the move itself, take-back, check,
// mate and stalemate. Independent of the engine's board.
#include <cstdlib>

#include "gui/chessboard/wqzChessboard.h"

const char* const wqzChessboard::StartLayout =
    "BRBNBBBQBKBBBNBRBPBPBPBPBPBPBPBPXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"
    "WPWPWPWPWPWPWPWPWRWNWBWQWKWBWNWR";

namespace {
constexpr int King = 0, Queen = 1, Rook = 2, Knight = 3, Bishop = 4, Pawn = 5;  // kind % 6
constexpr int WhiteOffset = 6;
const char* const kPieceLetters = "KQRNBP";

// Kind code of a layout pair, or -1 for "XX" and anything that is not a piece.
int KindFromPair(QChar colour, QChar piece) {
    if (colour != QLatin1Char('W') && colour != QLatin1Char('B')) return -1;
    for (int i = 0; i < 6; ++i)
        if (piece == QLatin1Char(kPieceLetters[i])) return i + (colour == QLatin1Char('W') ? WhiteOffset : 0);
    return -1;
}
}  // namespace

// ---------------------------------------------------------------- set-up and names

void wqzChessboard::NewGame(bool, int, int, const QString& sLayout, bool bWhitesTurn) {
    SetUpSquares(sLayout, bWhitesTurn);
    EndShowing();
    UserControl_Paint();
    emit NewPosition();
}

void wqzChessboard::SetPosition(const QString& sLayout, bool bWhitesTurn, const QString& sCastling,
                                int nEnPassantFile) {
    SetUpSquares(sLayout, bWhitesTurn);
    EndShowing();
    // A right needs its king and rook unmoved; a king or rook left without one has moved.
    const struct {
        QChar Right;
        int King, Rook;
    } rights[] = {{QLatin1Char('K'), 61, 64},
                  {QLatin1Char('Q'), 61, 57},
                  {QLatin1Char('k'), 5, 8},
                  {QLatin1Char('q'), 5, 1}};
    for (const auto& r : rights) Squares[r.King].Moved = Squares[r.Rook].Moved = true;
    for (const auto& r : rights)
        if (sCastling.contains(r.Right)) Squares[r.King].Moved = Squares[r.Rook].Moved = false;
    EnPassantPossible = nEnPassantFile >= 1 && nEnPassantFile <= 8;
    EnPassantFile = EnPassantPossible ? nEnPassantFile : 0;
    m_setUpEnPassantFile = EnPassantFile;
    UserControl_Paint();
    emit NewPosition();
}

// Short or malformed text leaves the squares it does not describe empty.
int wqzChessboard::KindOfLayout(const QString& sLayout, int nSquare) {
    const int i = 2 * (nSquare - 1);
    return i + 1 < sLayout.size() ? KindFromPair(sLayout[i], sLayout[i + 1]) : -1;
}

void wqzChessboard::SetUpSquares(const QString& sLayout, bool bWhitesTurn) {
    WhiteKingPos = BlackKingPos = 0;
    for (int k = 1; k <= 64; ++k) {
        SquareRec& s = Squares[k];
        const int kind = KindOfLayout(sLayout, k);
        s.Moved = false;
        if (kind < 0) {
            s.Occupied = false;
            s.Kind = 0;
            s.White = false;
            continue;
        }
        s.Occupied = true;
        s.Kind = kind;
        s.White = kind >= WhiteOffset;
        if (kind == King + WhiteOffset) WhiteKingPos = k;
        if (kind == King) BlackKingPos = k;
    }
    WhitesTurn = bWhitesTurn;
    EnPassantPossible = false;
    EnPassantFile = 0;
    EnPassantCapture = false;
    PromotionPending = false;
    UndoList.clear();
    m_lastMoveFrom = m_lastMoveTo = 0;
    m_hintFrom = m_hintTo = 0;
    m_setUpEnPassantFile = 0;
    m_selected = 0;
    m_targets.clear();
}

int wqzChessboard::SquareFromName(const QString& sName) const {
    if (sName.size() != 2) return -1;
    const char16_t file = sName[0].unicode(), rank = sName[1].unicode();
    if (file < u'a' || file > u'h' || rank < u'1' || rank > u'8') return -1;
    return (file - u'a' + 1) + (8 - (rank - u'0')) * 8;
}

QString wqzChessboard::SquareName(int nIndex) const {
    if (nIndex < 1 || nIndex > 64) return QString();
    const int file = nIndex % 8 == 0 ? 8 : nIndex % 8;
    const int rank = 8 - (nIndex - 1) / 8;
    return QString(QChar(u'a' + file - 1)) + QChar(u'0' + rank);
}

int wqzChessboard::SquareIndex(int nCol, int nRow) const {
    if (nCol < 1 || nCol > 8 || nRow < 1 || nRow > 8) return 0;
    return nCol + (nRow - 1) * 8;
}

const wqzChessboard::SquareRec& wqzChessboard::SquareInfo(int nIndex) const {
    return Squares[nIndex >= 1 && nIndex <= 64 ? nIndex : 0];
}

QString wqzChessboard::LayoutText() const {
    QString s;
    for (int k = 1; k <= 64; ++k) {
        const SquareRec& q = Squares[k];
        if (!q.Occupied) {
            s += QStringLiteral("XX");
            continue;
        }
        s += q.White ? QLatin1Char('W') : QLatin1Char('B');
        s += QLatin1Char(kPieceLetters[q.Kind % 6]);
    }
    return s;
}

// ---------------------------------------------------------------- validation

bool wqzChessboard::TryMove(int nFrom, int nTo, bool bTestOnly, bool* bLegal) {
    if (bLegal) *bLegal = false;
    if (nFrom < 1 || nFrom > 64 || nTo < 1 || nTo > 64) return false;
    const SquareRec& from = Squares[nFrom];
    const SquareRec& to = Squares[nTo];
    if (!from.Occupied || nFrom == nTo || (to.Occupied && to.White == from.White)) return false;

    const bool white = from.White;
    const int dc = to.Col - from.Col, dr = to.Row - from.Row;
    const int adc = std::abs(dc), adr = std::abs(dr);
    bool legal = false;
    bool doubleStep = false;
    int castling = 0;  // 1 king side, 2 queen side
    int enPassantVictim = 0;

    // Every square strictly between the two (same line or diagonal) is empty.
    auto pathClear = [&]() {
        const int sc = (dc > 0) - (dc < 0), sr = (dr > 0) - (dr < 0);
        for (int c = from.Col + sc, r = from.Row + sr; c != to.Col || r != to.Row; c += sc, r += sr)
            if (Squares[SquareIndex(c, r)].Occupied) return false;
        return true;
    };
    auto unmovedRook = [&](int n) {
        const SquareRec& q = Squares[n];
        return q.Occupied && q.Kind == Rook + (white ? WhiteOffset : 0) && !q.Moved;
    };

    switch (from.Kind % 6) {
        case King:
            if (adc <= 1 && adr <= 1) {
                legal = true;
                break;
            }
            // Castling. The cheap conditions first: this runs for every far target in the mate tests.
            if (from.Col != 5 || from.Row != (white ? 8 : 1) || from.Moved || dr != 0) break;
            if (to.Col != 7 && to.Col != 3) break;
            if (IsSquareAttacked(white, nFrom)) break;
            if (to.Col == 7) {
                if (Squares[nFrom + 1].Occupied || Squares[nFrom + 2].Occupied || !unmovedRook(nFrom + 3))
                    break;
                castling = 1;
            } else if (to.Col == 3) {
                if (Squares[nFrom - 1].Occupied || Squares[nFrom - 2].Occupied ||
                    Squares[nFrom - 3].Occupied || !unmovedRook(nFrom - 4))
                    break;
                castling = 2;
            } else {
                break;
            }
            {
                // The king may not pass an attacked square: step onto it, look, step back.
                const int pass = castling == 1 ? nFrom + 1 : nFrom - 1;
                const bool savedCapture = EnPassantCapture;
                ++m_quiet;
                TryMove(nFrom, pass, false);
                ShiftPiece(nFrom, pass, false);
                const bool attacked = IsSquareAttacked(white, pass);
                PopUndoRecord();
                --m_quiet;
                EnPassantCapture = savedCapture;
                if (attacked) {
                    castling = 0;
                    break;
                }
            }
            legal = true;
            if (!bTestOnly) {
                if (castling == 1)
                    MoveCastlingRook(true, nFrom, nFrom + 3);
                else
                    MoveCastlingRook(false, nFrom, nFrom - 4);
            }
            break;
        case Rook:
            legal = (dc == 0 || dr == 0) && pathClear();
            break;
        case Bishop:
            legal = adc == adr && pathClear();
            break;
        case Queen:
            legal = (dc == 0 || dr == 0 || adc == adr) && pathClear();
            break;
        case Knight:
            legal = (adc == 1 && adr == 2) || (adc == 2 && adr == 1);
            break;
        case Pawn: {
            const int dir = white ? -1 : 1;
            const int startRow = white ? 7 : 2, enPassantRow = white ? 4 : 5, lastRow = white ? 1 : 8;
            if (dc == 0 && from.Row == startRow && dr == 2 * dir) {
                if (!Squares[SquareIndex(from.Col, startRow + dir)].Occupied && !to.Occupied) {
                    legal = true;
                    doubleStep = true;
                }
                break;
            }
            if (dr != dir) break;
            if ((dc == 0 && !to.Occupied) || (adc == 1 && to.Occupied)) {
                legal = true;
                if (to.Row == lastRow && !bTestOnly) {
                    PromotionPending = true;
                    PromotionWhite = white;
                    PromotionSquare = nTo;
                }
                break;
            }
            if (adc == 1 && !to.Occupied && EnPassantPossible && to.Col == EnPassantFile &&
                from.Row == enPassantRow) {
                // Only a pawn of the other colour beside this one can be taken this way.
                const int victim = SquareIndex(to.Col, enPassantRow);
                const SquareRec& v = Squares[victim];
                if (!v.Occupied || v.Kind % 6 != Pawn || v.White == white) break;
                legal = true;
                if (!bTestOnly) {
                    enPassantVictim = victim;
                    Squares[victim].Occupied = false;
                    DrawSquare(victim, true);
                    EnPassantCapture = true;
                }
            }
            break;
        }
    }

    if (legal && !bTestOnly) {
        EnPassantPossible = doubleStep;
        if (doubleStep) EnPassantFile = to.Col;
        UndoRec rec;
        rec.MoveType = EnPassantCapture ? 3 : PromotionPending ? 4 : castling;
        rec.FromSquare = nFrom;
        rec.MovedPiece = {from.Kind, from.White, from.Moved};
        rec.ToSquare = rec.MoveType == 3 ? enPassantVictim : nTo;
        const SquareRec& captured = Squares[rec.ToSquare];
        rec.ToOccupied = rec.MoveType == 3 ? true : captured.Occupied;
        rec.CapturedPiece = {captured.Kind, captured.White, captured.Moved};
        // The moving piece's colour: trial moves of the side not to move must be taken back correctly too.
        rec.MoverWhite = white;
        rec.EnPassantPossible = EnPassantPossible;
        rec.EnPassantFile = EnPassantFile;
        rec.PrevLastFrom = m_lastMoveFrom;
        rec.PrevLastTo = m_lastMoveTo;
        UndoList.push_back(rec);
    }
    EnPassantCapture = false;
    if (bLegal) *bLegal = legal;
    return legal;
}

void wqzChessboard::ShiftPiece(int nFrom, int nTo, bool bMarkMoved) {
    SquareRec& from = Squares[nFrom];
    SquareRec& to = Squares[nTo];
    if (from.Kind == King + WhiteOffset) WhiteKingPos = nTo;
    if (from.Kind == King) BlackKingPos = nTo;
    from.Moved = bMarkMoved;
    from.Occupied = false;
    to.Kind = from.Kind;
    to.White = from.White;
    to.Moved = from.Moved;
    to.Occupied = true;
}

void wqzChessboard::PutPiece(int nSquare, const PieceData& piece, bool bOccupied) {
    SquareRec& s = Squares[nSquare];
    s.Kind = piece.Kind;
    s.White = piece.White;
    s.Moved = piece.Moved;
    s.Occupied = bOccupied;
}

void wqzChessboard::MoveCastlingRook(bool bCastleShort, int nKingPos, int nRookPos) {
    const int target = bCastleShort ? nKingPos + 1 : nKingPos - 1;
    const SquareRec& rook = Squares[nRookPos];
    PutPiece(target, {rook.Kind, rook.White, rook.Moved}, true);
    Squares[nRookPos].Occupied = false;
    DrawSquare(nRookPos, true);
    DrawSquare(target, true);
}

bool wqzChessboard::IsSquareAttacked(bool bByBlack, int nSquare) const {
    if (nSquare < 1 || nSquare > 64) return false;
    const int base = bByBlack ? 0 : WhiteOffset;
    const int col = Squares[nSquare].Col, row = Squares[nSquare].Row;
    auto pieceAt = [&](int c, int r) -> int {  // kind on (c, r), -1 if empty, -2 if off the board
        const int k = SquareIndex(c, r);
        if (k == 0) return -2;
        return Squares[k].Occupied ? Squares[k].Kind : -1;
    };
    static const int kStraight[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    static const int kDiagonal[4][2] = {{1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    for (const auto& d : kStraight) {
        for (int dist = 1;; ++dist) {
            const int p = pieceAt(col + d[0] * dist, row + d[1] * dist);
            if (p == -1) continue;
            if (p == -2) break;
            if (p == base + Queen || p == base + Rook || (dist == 1 && p == base + King)) return true;
            break;
        }
    }
    for (const auto& d : kDiagonal) {
        for (int dist = 1;; ++dist) {
            const int p = pieceAt(col + d[0] * dist, row + d[1] * dist);
            if (p == -1) continue;
            if (p == -2) break;
            if (p == base + Queen || p == base + Bishop) return true;
            if (dist == 1) {
                if (p == base + King) return true;
                // Black pawns attack towards higher rows, so they stand on the row above the square.
                if (p == base + Pawn && (bByBlack ? d[1] == -1 : d[1] == 1)) return true;
            }
            break;
        }
    }
    static const int kKnight[8][2] = {{-1, -2}, {1, -2}, {2, -1}, {2, 1}, {-1, 2}, {1, 2}, {-2, -1}, {-2, 1}};
    for (const auto& d : kKnight)
        if (pieceAt(col + d[0], row + d[1]) == base + Knight) return true;
    return false;
}

// ---------------------------------------------------------------- playing and taking back

bool wqzChessboard::KingOfColourAttacked(bool bWhite) const {
    return bWhite ? IsSquareAttacked(true, WhiteKingPos) : IsSquareAttacked(false, BlackKingPos);
}

bool wqzChessboard::MovePiece(const QString& sFrom, const QString& sTo) {
    const int nFrom = SquareFromName(sFrom), nTo = SquareFromName(sTo);
    if (nFrom == -1 || nTo == -1) return false;
    if (!Squares[nFrom].Occupied || Squares[nFrom].White != WhitesTurn) return false;
    if (!TryMove(nFrom, nTo, false) || nFrom == nTo) return false;
    const bool captures = Squares[nTo].Occupied;
    const int capturedKind = Squares[nTo].Kind;
    ClearSelection();
    ShiftPiece(nFrom, nTo, true);

    // A move that leaves the mover's king attacked is taken back before anything is reported, so no
    // promotion choice is asked for a move that will not stand.
    if (KingOfColourAttacked(WhitesTurn)) {
        PromotionPending = false;
        PopUndoRecord();
        DrawSquare(nFrom, true);
        DrawSquare(nTo, true);
        return false;
    }
    if (PromotionPending) {
        int eChoice = 0;
        emit PawnPromotion(PromotionWhite, eChoice);
        if (PromotionWhite) {
            if (eChoice < 7 || eChoice > 10) eChoice = 7;
        } else {
            if (eChoice < 1 || eChoice > 4) eChoice = 1;
        }
        PutPiece(PromotionSquare, {eChoice, PromotionWhite, true}, true);
        DrawSquare(PromotionSquare, true);
    }
    PromotionPending = false;

    MarkHint(0, 0);
    DrawSquare(m_lastMoveFrom, false);
    DrawSquare(m_lastMoveTo, false);
    m_lastMoveFrom = nFrom;
    m_lastMoveTo = nTo;
    DrawSquare(nFrom, true);
    DrawSquare(nTo, true);
    const bool mover = WhitesTurn;
    emit PieceMovement(mover, SquareName(nFrom), SquareName(nTo));
    if (captures) emit PieceCapture(capturedKind);
    const bool opponent = !mover;
    const int kingPos = opponent ? WhiteKingPos : BlackKingPos;
    if (KingOfColourAttacked(opponent))
        emit KingInCheck(opponent, IsCheckmate(opponent, kingPos));
    else if (IsStalemate(opponent, kingPos))
        emit Stalemate();
    WhitesTurn = !WhitesTurn;
    return true;
}

bool wqzChessboard::PopUndoRecord() {
    if (UndoList.empty()) return false;
    const UndoRec rec = UndoList.back();
    const int from = rec.FromSquare, to = rec.ToSquare;
    switch (rec.MoveType) {
        case 1:
        case 2: {
            const int rookNow = rec.MoveType == 1 ? from + 1 : from - 1;
            const int rookHome = rec.MoveType == 1 ? from + 3 : from - 4;
            PieceData king = rec.MovedPiece;
            king.Moved = false;
            PutPiece(from, king, true);
            const SquareRec& r = Squares[rookNow];
            PutPiece(rookHome, {r.Kind, r.White, false}, true);
            Squares[to].Occupied = false;
            Squares[rookNow].Occupied = false;
            if (rec.MoveType == 1) {
                for (int k = from; k <= from + 3; ++k) DrawSquare(k, true);
            } else {
                DrawSquare(from, true);
                DrawSquare(from - 1, true);
                DrawSquare(from - 2, true);
                DrawSquare(from - 4, true);
            }
            break;
        }
        case 3: {
            PutPiece(from, rec.MovedPiece, true);
            const int capturer = rec.MoverWhite ? to - 8 : to + 8;
            Squares[capturer].Occupied = false;
            DrawSquare(capturer, true);
            PutPiece(to, rec.CapturedPiece, true);
            DrawSquare(from, true);
            DrawSquare(to, true);
            break;
        }
        default:
            PutPiece(from, rec.MovedPiece, true);
            Squares[to].Occupied = rec.ToOccupied;
            if (rec.ToOccupied) PutPiece(to, rec.CapturedPiece, true);
            DrawSquare(from, true);
            DrawSquare(to, true);
            break;
    }
    if (UndoList.size() >= 2) {
        const UndoRec& before = UndoList[UndoList.size() - 2];
        EnPassantPossible = before.EnPassantPossible;
        EnPassantFile = before.EnPassantFile;
    } else {
        // Back at the start: a set-up position may have begun with an en-passant capture possible.
        EnPassantPossible = m_setUpEnPassantFile != 0;
        EnPassantFile = m_setUpEnPassantFile;
    }
    DrawSquare(m_lastMoveFrom, false);
    DrawSquare(m_lastMoveTo, false);
    m_lastMoveFrom = rec.PrevLastFrom;
    m_lastMoveTo = rec.PrevLastTo;
    DrawSquare(m_lastMoveFrom, true);
    DrawSquare(m_lastMoveTo, true);
    UndoList.pop_back();
    WhiteKingPos = BlackKingPos = 0;
    for (int k = 1; k <= 64; ++k) {
        if (!Squares[k].Occupied) continue;
        if (Squares[k].Kind == King + WhiteOffset) WhiteKingPos = k;
        if (Squares[k].Kind == King) BlackKingPos = k;
    }
    return true;
}

bool wqzChessboard::UndoLastMove() {
    ClearSelection();
    const bool done = PopUndoRecord();
    if (done) {
        MarkHint(0, 0);
        emit MoveUndo(!WhitesTurn);
        WhitesTurn = !WhitesTurn;
    }
    return done;
}

// ---------------------------------------------------------------- mate and stalemate

// A trial with the control's own machinery: validate and do the side work, move, look at the mover's
// king, take back. Everything, the drawing included, is as it was afterwards.
bool wqzChessboard::IsLegalMove(int nFrom, int nTo) {
    if (nFrom < 1 || nFrom > 64 || nTo < 1 || nTo > 64 || !Squares[nFrom].Occupied) return false;
    const bool white = Squares[nFrom].White;
    const bool savedPending = PromotionPending, savedPromotionWhite = PromotionWhite;
    const int savedPromotionSquare = PromotionSquare;
    ++m_quiet;
    bool safe = false;
    if (TryMove(nFrom, nTo, false)) {
        ShiftPiece(nFrom, nTo, false);
        safe = !KingOfColourAttacked(white);
        PopUndoRecord();
    }
    --m_quiet;
    PromotionPending = savedPending;
    PromotionWhite = savedPromotionWhite;
    PromotionSquare = savedPromotionSquare;
    return safe;
}

bool wqzChessboard::HasLegalMove(bool bWhite) {
    for (int from = 1; from <= 64; ++from) {
        if (!Squares[from].Occupied || Squares[from].White != bWhite) continue;
        for (int to = 1; to <= 64; ++to)
            if (IsLegalMove(from, to)) return true;
    }
    return false;
}

// Pinned blockers and capturers do not help, and an en-passant capture of the checking pawn does: the
// answer comes from trying every move, not from where pieces could go.
bool wqzChessboard::IsCheckmate(bool bWhite, int nKingPos) {
    return IsSquareAttacked(bWhite, nKingPos) && !HasLegalMove(bWhite);
}

bool wqzChessboard::IsStalemate(bool bWhite, int nKingPos) {
    return !IsSquareAttacked(bWhite, nKingPos) && !HasLegalMove(bWhite);
}
