// SPDX-License-Identifier: GPL-3.0-or-later
// Every weight of the strong evaluation, by name: a middlegame and an endgame value each. The values live
// in WeightValues.cpp, which the tuner (talvor-tune) writes; the evaluation reads them through these names.
//
// Squares are seen from the owner's side (a1 = 0 for White, a8 = 0 for Black), ranks too (0 = home rank).
// Arrays by piece type start at the pawn: [type - Pawn].
#pragma once
#include <cstddef>
#include <string_view>

#include "eval/Score.h"

namespace eval {

struct Weights {
    // ---- Material and placement
    Score PieceValue[5];
    Score PieceSquare[6][64];
    Score BishopPair;
    Score KnightPawns;  // a knight, per own pawn above five (below five: the negative)
    Score RookPawns;    // a rook, the same
    Score Tempo;        // the side to move

    // ---- Mobility: by the squares a piece reaches that no enemy pawn attacks and no own pawn or king holds
    Score KnightMobility[9];
    Score BishopMobility[14];
    Score RookMobility[15];
    Score QueenMobility[28];

    // ---- Pawn structure (worked out once per pawn placement, kept in the pawn table)
    Score Isolated;
    Score IsolatedOpen;  // more, with no enemy pawn ahead on its file: rooks find it
    Score Doubled;       // a pawn with another of its own ahead on its file
    Score Backward;      // cannot be defended by a pawn, and its next square is held by an enemy pawn
    Score BackwardOpen;
    Score Supported[8];  // defended by an own pawn, by rank
    Score Phalanx[8];    // an own pawn beside it, by rank

    // ---- Passed pawns, by rank
    Score PassedRank[8];
    Score PassedOwnKing[8];    // per step from the own king to the square in front of the pawn
    Score PassedEnemyKing[8];  // per step from the enemy king to that square
    Score PassedFreePath[8];   // nothing on the squares up to the promotion
    Score PassedSafePath[8];   // no enemy piece on or attacking any of them
    Score PassedSafePush[8];   // the next square empty and not attacked by the enemy
    Score PassedUnstoppable;   // against a king alone that is outside the pawn's square

    // ---- Pieces
    Score KnightOutpost;  // beyond the middle, defended by a pawn, out of reach of enemy pawns
    Score BishopOutpost;
    Score KnightReachesOutpost;
    Score MinorBehindPawn;
    Score BishopPawnsOnColour;  // per own pawn on the bishop's square colour
    Score RookOpenFile;
    Score RookSemiOpenFile;
    Score RookOnSeventh;  // with the enemy king on its back rank or enemy pawns on the seventh
    Score QueenOpenFile;
    Score QueenSemiOpenFile;
    Score QueenOnSeventh;

    // ---- Threats: by the type of the piece attacked
    Score ThreatByPawn[6];
    Score ThreatByMinor[6];
    Score ThreatByRook[6];
    Score ThreatByKing;
    Score Hanging;           // attacked and not defended (or a piece attacked twice and defended once)
    Score ThreatByPawnPush;  // a pawn can step safely to a square where it attacks a piece

    // ---- The king's pawns: [distance of the file from the edge][rank of the nearest pawn ahead; 0 none]
    Score Shelter[4][8];  // own pawns
    Score Storm[4][8];    // enemy pawns coming
    Score BlockedStorm[8];

    // ---- King danger: these add up to a danger that costs danger^2/720 in the middlegame and danger/20 in
    // the endgame, when two pieces attack the king's zone (one, with a queen on the board).
    Score DangerBase;
    Score DangerAttackers[6];  // per attacker, by type
    Score DangerZoneAttacks;   // per attack on a square of the zone
    Score DangerWeakSquares;   // per zone square the enemy attacks that only the king or queen defends
    Score DangerSafeCheck[6];  // a safe check, by the checking piece
    Score DangerNoQueen;       // the attacker has no queen
};

// The table the evaluation reads (WeightValues.cpp).
extern const Weights kWeights;

constexpr int WeightCount = int(sizeof(Weights) / sizeof(Score));

// The position of a weight in the table seen as one array of WeightCount scores.
inline int IndexOf(const Weights& table, const Score& weight) {
    return int(reinterpret_cast<const char*>(&weight) - reinterpret_cast<const char*>(&table)) /
           int(sizeof(Score));
}

// A named field of the table: what the tuner writes, reads and reports by.
struct WeightField {
    std::string_view Name;
    int First;    // index of its first score
    int Rows;     // 1 for a single score or a plain array
    int Columns;  // 1 for a single score
    bool Danger;  // summed into the king danger rather than into the score
};

// The fields in the order they are declared.
const WeightField* WeightFields(int& count);

}  // namespace eval
