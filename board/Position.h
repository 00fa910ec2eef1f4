// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine's board: a chess position as a value (one per search thread, or per game under
// review), with piece sets by colour and type, a piece by square, incremental keys, make/unmake with a
// small undo record, and pseudo-legal move generation with a cheap legality test. Nothing here touches the
// design's board (board/BoardBas.h); board/GamePosition.h converts from it.
//
// A position belongs to one thread: even its const queries fill in parts of the state they need.
//
// Rules as the design's board keeps them, so that both give every position the same key: the en-passant
// square is set after every double step (whether or not a pawn can take), and a castling right is lost
// once anything moves from or to the king's or the rook's square.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "board/Bitboard.h"
#include "board/Move.h"
#include "board/Zobrist.h"

namespace bitboard {

// Castling rights, as bits (the numbering of the castling keys).
constexpr int WhiteKingSide = 1, WhiteQueenSide = 2, BlackKingSide = 4, BlackQueenSide = 8;

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// What a move changes apart from the pieces: Make saves it whole in the Undo record, Unmake puts it back,
// so nothing derived is worked out twice. The pins and check squares are worked out when first asked for:
// a node that stands pat on its evaluation never needs them.
struct PositionState {
    uint64_t Key;
    uint64_t PawnKey;   // the pawns' part of Key alone, for a pawn-structure table
    Bitboard Checkers;  // enemy pieces that give check to the side to move
    // ---- worked out when first asked for (PinsReady)
    Bitboard Blockers[2];      // [c]: pieces of either colour that alone stand between c's king and an
                               // enemy slider (c's own among them are pinned)
    Bitboard Pinners[2];       // [c]: the enemy sliders that pin one of c's pieces to c's king
    Bitboard CheckSquares[7];  // [type]: where a piece of the side to move would give check
    uint8_t Castling;          // WhiteKingSide | ...
    uint8_t EnPassant;         // the square behind a double step just made, NoSquare if none
    Piece Captured;            // what the move that led here took, NoPiece if nothing
    bool PinsReady;            // Blockers, Pinners and CheckSquares are worked out
    int16_t Fifty;             // plies since the last capture or pawn move
    int16_t Reversible;        // plies back the key ring may hold this position: reset also by a null move
};

struct Undo {
    PositionState State;
};

// Keys of earlier positions kept for the repetition test; older ones are overwritten. 255 reversible plies
// are more than any game needs (the 75-move rule ends one at 150).
constexpr int KeyRingSize = 256;

class Position {
  public:
    // The start position.
    Position();

    // ---- Text ----
    // Sets the position from FEN: placement, side, castling and en passant (halfmove clock and move
    // number optional). Accepts what the design's board accepts, and on text it rejects returns false and
    // leaves the position as it was: 8 ranks of 8 squares, one king a side, no pawn on the first or last
    // rank, no more pieces than promotions can make, the side not to move not in check. An en-passant
    // square where no pawn has just made a double step is ignored; castling letters stand as written.
    bool SetFen(std::string_view fen);
    // Six fields; the first four are the design's text key of the same position.
    std::string Fen() const;
    // The legal move with this coordinate text ("e2e4", "e7e8q", "e1g1"), or NoMove.
    Move MoveOfText(std::string_view text) const;

    // ---- The pieces ----
    Colour SideToMove() const { return side_; }
    Piece PieceOn(int sq) const { return board_[sq]; }
    bool IsEmpty(int sq) const { return board_[sq] == NoPiece; }
    Bitboard Pieces() const { return byType_[NoPieceType]; }  // every piece
    Bitboard Pieces(Colour c) const { return byColour_[c]; }
    Bitboard Pieces(PieceType t) const { return byType_[t]; }
    Bitboard Pieces(PieceType a, PieceType b) const { return byType_[a] | byType_[b]; }
    Bitboard Pieces(Colour c, PieceType t) const { return byColour_[c] & byType_[t]; }
    Bitboard Pieces(Colour c, PieceType a, PieceType b) const {
        return byColour_[c] & (byType_[a] | byType_[b]);
    }
    int Count(Colour c, PieceType t) const { return pieceCount_[MakePiece(c, t)]; }
    // Whether c has a piece other than pawns and the king (null-move pruning wants one).
    bool HasPieces(Colour c) const { return (byColour_[c] & ~byType_[Pawn] & ~byType_[King]) != 0; }
    int KingSquare(Colour c) const { return Lsb(Pieces(c, King)); }

    // ---- State ----
    int CastlingRights() const { return st_.Castling; }
    int EnPassantSquare() const { return st_.EnPassant; }  // NoSquare if none
    int Fifty() const { return st_.Fifty; }                // the halfmove clock
    int GamePly() const { return gamePly_; }               // plies since the game's start (FEN move number)
    uint64_t Key() const { return st_.Key; }
    uint64_t PawnKey() const { return st_.PawnKey; }
    // What the move that led here took, NoPiece if nothing (or unknown: no move made since the set-up).
    Piece CapturedByLastMove() const { return st_.Captured; }
    // Whether the position arose before with only reversible moves (no capture, pawn move or null move)
    // in between: on the line of moves made, or among the earlier keys given.
    bool Repeats() const;
    // The game's earlier positions (keys in any order), for the repetition test: only those with this
    // position's pawns, material and castling rights can ever repeat. Call before any Make.
    void SetEarlierKeys(std::span<const uint64_t> keys);

    // ---- Checks and attacks ----
    bool InCheck() const { return st_.Checkers != 0; }
    Bitboard Checkers() const { return st_.Checkers; }
    Bitboard BlockersForKing(Colour c) const { return Pins().Blockers[c]; }
    Bitboard Pinners(Colour c) const { return Pins().Pinners[c]; }
    Bitboard Pinned(Colour c) const { return Pins().Blockers[c] & byColour_[c]; }
    Bitboard CheckSquares(PieceType t) const { return Pins().CheckSquares[t]; }
    // Pieces of both colours that attack sq through the given occupancy (exchanges remove pieces from it).
    Bitboard AttackersTo(int sq, Bitboard occupied) const;
    Bitboard AttackersTo(int sq) const { return AttackersTo(sq, Pieces()); }
    bool IsAttackedBy(Colour c, int sq) const { return IsAttackedBy(c, sq, Pieces()); }
    bool IsAttackedBy(Colour c, int sq, Bitboard occupied) const;
    // Every square c's pieces attack.
    Bitboard AttacksBy(Colour c) const;
    // Pieces (of either colour) that alone stand between sq and a slider among sliders; those sliders go
    // to pinners. With the enemy's sliders and a king's square: that king's blockers.
    Bitboard SliderBlockers(Bitboard sliders, int sq, Bitboard& pinners) const;

    // ---- Moves ----
    Piece MovedPiece(Move m) const { return board_[m.From()]; }
    // The piece m takes (the pawn, for en passant), NoPiece if none.
    Piece CapturedPiece(Move m) const;
    bool IsCapture(Move m) const { return CapturedPiece(m) != NoPiece; }
    bool IsCaptureOrPromotion(Move m) const { return m.IsPromotion() || IsCapture(m); }
    // Whether an arbitrary code (a hash or killer move) is a move of this position that the generators
    // could have produced: it may still leave the king in check, which IsLegal tells.
    bool IsPseudoLegal(Move m) const;
    // For a pseudo-legal move: whether it leaves the mover's king safe. Castling through an attacked square
    // is never pseudo-legal.
    bool IsLegal(Move m) const;
    // For a legal move: whether it checks the enemy king, worked out without making it.
    bool GivesCheck(Move m) const;
    // Whether the side to move may castle now on that side: the right, king and rook at home, the squares
    // between empty, not in check, and neither square the king crosses or lands on attacked.
    bool CastlingAllowed(bool bKingSide) const;

    void Make(Move m, Undo& undo);
    void Unmake(Move m, const Undo& undo);
    // Passes the move to the other side (not in check).
    void MakeNull(Undo& undo);
    void UnmakeNull(const Undo& undo);

    // Same pieces, side, state and move count (the key ring aside).
    bool operator==(const Position& other) const;

  private:
    struct Empty {};
    explicit Position(Empty) { Clear(); }
    void Clear();
    void PutPiece(Piece p, int sq);
    void RemovePiece(int sq);
    void MovePiece(int nFrom, int nTo);
    void PushKey() { keyRing_[ringTop_++ & (KeyRingSize - 1)] = st_.Key; }
    // Keys and checkers from the pieces, side, castling and en passant; the rest of the state when asked.
    void ComputeKeys();
    void ComputeCheckers();
    void CheckersAfter(int nFrom, int nTo, PieceType moved, const PositionState& before);
    void ComputePins() const;
    const PositionState& Pins() const {
        if (!st_.PinsReady) ComputePins();
        return st_;
    }

    Piece board_[64];
    Bitboard byType_[7];  // [NoPieceType]: every piece
    Bitboard byColour_[2];
    uint8_t pieceCount_[16];  // by piece
    Colour side_;
    int gamePly_;
    mutable PositionState st_;  // const queries may fill in the pins (one position per thread)
    uint32_t ringTop_;          // keys pushed so far; the newest at ringTop_ - 1
    uint64_t keyRing_[KeyRingSize];
};

inline void Position::PutPiece(Piece p, int sq) {
    const Bitboard b = Bit(sq);
    board_[sq] = p;
    ++pieceCount_[p];
    byType_[NoPieceType] |= b;
    byType_[TypeOf(p)] |= b;
    byColour_[ColourOf(p)] |= b;
}

inline void Position::RemovePiece(int sq) {
    const Bitboard b = Bit(sq);
    const Piece p = board_[sq];
    byType_[NoPieceType] ^= b;
    byType_[TypeOf(p)] ^= b;
    byColour_[ColourOf(p)] ^= b;
    --pieceCount_[p];
    board_[sq] = NoPiece;
}

inline void Position::MovePiece(int nFrom, int nTo) {
    const Bitboard b = Bit(nFrom) | Bit(nTo);
    const Piece p = board_[nFrom];
    byType_[NoPieceType] ^= b;
    byType_[TypeOf(p)] ^= b;
    byColour_[ColourOf(p)] ^= b;
    board_[nFrom] = NoPiece;
    board_[nTo] = p;
}

// ---- Move generation ----
// Each writes moves from out on and returns the end. Pseudo-legal moves: IsLegal filters them; no move is
// made to find that out.
// Not in check: every capture (en passant too) and every promotion to a queen, for the capture search.
Move* GenerateCaptures(const Position& pos, Move* out);
// Not in check: every other move: quiet moves, castling, promotions to rook, bishop or knight.
Move* GenerateQuiets(const Position& pos, Move* out);
// In check: king moves, and against a single checker the moves that take it or step between.
Move* GenerateEvasions(const Position& pos, Move* out);
// Evasions in check, else captures then quiets.
Move* GeneratePseudoLegal(const Position& pos, Move* out);
// The legal moves.
Move* GenerateLegal(const Position& pos, Move* out);
MoveList LegalMoves(const Position& pos);

}  // namespace bitboard
