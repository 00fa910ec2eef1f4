// SPDX-License-Identifier: GPL-3.0-or-later
// Games as PGN files hold them, and the reader that takes them from text. Everything a file says about a
// game is kept (tags, comments with their clock and other commands, NAGs, variations) so that the game can
// be written back with nothing lost; text is kept byte for byte, whatever its encoding.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PgnTag {
    std::string Name, Value;  // the value unescaped
};

// A comment as read: the text between braces, or after a semicolon up to the end of its line.
struct PgnComment {
    std::string Text;
    bool ToLineEnd = false;
};

struct PgnMove;

// A line of moves: the game's main line or a variation, with any comments before its first move.
struct PgnLine {
    std::vector<PgnComment> Leading;
    std::vector<PgnMove> Moves;
};

struct PgnMove {
    std::string San;                   // as the file wrote it, check marks and suffixes left out
    std::string Coordinates;           // the move in coordinate text (e2e4, e7e8q), once it was found legal
    std::vector<int> Nags;             // suffixes such as "!?" are kept as their NAGs
    std::vector<PgnComment> Comments;  // after the move
    std::vector<PgnLine> Variations;   // alternatives to this move, in order
    std::vector<PgnComment> LateComments;  // after a variation, before the next move
};

// Why a game could not be read: where, which move, what was wrong.
struct PgnError {
    int Line = 0;      // in the file, from 1
    std::string Move;  // "12... Nxe5" as written, or empty when no move is at fault
    std::string Why;
};

struct PgnGame {
    int Number = 0;  // in the file, from 1
    std::vector<PgnTag> Tags;
    std::string StartFen;       // the FEN tag's position; empty for the standard start
    PgnLine Moves;              // the main line; on an error, the moves before it
    std::string Result = "*";   // the termination as written, "*" when the game had none
    bool Terminated = false;    // false: the text ended (or the next game began) before a result
    size_t Begin = 0, End = 0;  // the game's bytes in the text read, for passing it on untouched
    std::optional<PgnError> Error;

    const std::string* Tag(std::string_view name) const;
    std::string TagOr(std::string_view name, std::string_view fallback) const;
    // From the start position: who moves first, and the number of the first move.
    bool WhiteMovesFirst() const;
    int FirstMoveNumber() const;
};

// Reads every game of a PGN text. A game with an error keeps what came before the error and names it;
// the games after it are read as usual. A text with nothing but blanks holds no game.
std::vector<PgnGame> ReadPgn(std::string_view text);

// "game 3, line 35, 10. Kf3: illegal move": what a reader of the file needs to find the fault.
std::string ErrorText(const PgnGame& game);

// "12. e4" / "12... e5": the number and dots for the ply-th move (0 first) of a game from fullmove
// number firstMove and side to move.
std::string MoveNumberText(int firstMove, bool whiteFirst, size_t ply);
