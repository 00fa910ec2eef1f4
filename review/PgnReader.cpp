// SPDX-License-Identifier: GPL-3.0-or-later
// From PGN tokens to games: the tags, the main line with every move checked on the board, variations
// checked as far as they are legal (a wrong one costs the game nothing: it is not reviewed).
#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <sstream>

#include "review/Pgn.h"
#include "review/PgnLexer.h"
#include "review/SanBoard.h"

const std::string* PgnGame::Tag(std::string_view name) const {
    for (const PgnTag& tag : Tags)
        if (tag.Name == name) return &tag.Value;
    return nullptr;
}

std::string PgnGame::TagOr(std::string_view name, std::string_view fallback) const {
    const std::string* value = Tag(name);
    return value ? *value : std::string(fallback);
}

namespace {

// A FEN's field (0 the placement), empty when it has not so many.
std::string FenField(const std::string& fen, int n) {
    std::istringstream fields(fen);
    std::string field;
    for (int i = 0; i <= n; ++i)
        if (!(fields >> field)) return "";
    return field;
}

}  // namespace

bool PgnGame::WhiteMovesFirst() const {
    return FenField(StartFen, 1) != "b";
}

int PgnGame::FirstMoveNumber() const {
    const std::string field = FenField(StartFen, 5);
    int number = 1;
    std::from_chars(field.data(), field.data() + field.size(), number);  // out of range leaves it 1
    return std::clamp(number, 1, 1000000);
}

namespace {

// Variations within variations: far more than any annotator writes, few enough that writing or freeing
// the game (which go down them one level at a time) cannot run out of stack.
constexpr size_t MaxVariationDepth = 100;

// One open line: the main line or a variation inside it.
struct OpenLine {
    PgnLine* Line;
    std::optional<SanBoard> Before;  // the position before the line's last move
    std::optional<SanBoard> Now;     // after it; empty once a move could not be read
};

// Games of other rules (Chess960, Crazyhouse...) name them; a set-up position of ordinary chess may be
// named "From Position".
bool IsStandardChess(const PgnGame& game) {
    const std::string* variant = game.Tag("Variant");
    if (!variant) return true;
    std::string name = *variant;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.empty() || name == "standard" || name == "chess" || name == "normal" ||
           name == "from position";
}

class GameReader {
  public:
    explicit GameReader(std::string_view text) : lexer_(text) {}

    std::vector<PgnGame> ReadAll() {
        std::vector<PgnGame> games;
        PgnToken token = lexer_.Next();
        while (token.Type != PgnToken::Kind::End) {
            PgnGame game;
            game.Number = static_cast<int>(games.size()) + 1;
            token = ReadGame(game, token);
            if (!game.Tags.empty() || !game.Moves.Moves.empty() || game.Terminated || game.Error)
                games.push_back(std::move(game));
        }
        return games;
    }

  private:
    // Reads one game from its first token; returns the token that begins the next one.
    PgnToken ReadGame(PgnGame& game, PgnToken token) {
        game_ = &game;
        lines_.clear();
        inMoves_ = false;
        game.Begin = token.Begin;
        for (;; token = lexer_.Next()) {
            if (token.Type == PgnToken::Kind::End) break;
            if (token.Type == PgnToken::Kind::Tag || (token.Type == PgnToken::Kind::BadTag && !inMoves_)) {
                if (inMoves_) break;  // the next game's tags: this one was cut short
                ReadTag(token);
            } else if (token.Type == PgnToken::Kind::BadTag) {
                Fail(token, "", "a '[' among the moves");
            } else if (token.Type == PgnToken::Kind::Result) {
                StartMoves(token);
                game.Result = token.Text;
                game.Terminated = true;
                game.End = token.End;
                return lexer_.Next();
            } else {
                StartMoves(token);
                if (!game.Error) ReadMoveText(token);
            }
            game.End = token.End;
        }
        StartMoves(token);
        return token;
    }

    void ReadTag(const PgnToken& token) {
        if (token.Type == PgnToken::Kind::BadTag)
            Fail(token, "", token.Text);
        else
            game_->Tags.push_back(PgnTag{token.Name, token.Text});
    }

    // The tags are over: the game's start position is known.
    void StartMoves(const PgnToken& token) {
        if (inMoves_) return;
        inMoves_ = true;
        std::optional<SanBoard> board = SanBoard::Start();
        if (const std::string* fen = game_->Tag("FEN")) {
            game_->StartFen = *fen;
            board = SanBoard::FromFen(*fen);
            if (!board) Fail(token, "", "the FEN tag is not a legal position");
        }
        if (!IsStandardChess(*game_)) Fail(token, "", "the game is not standard chess");
        if (game_->Error) board.reset();
        lines_.push_back(OpenLine{&game_->Moves, std::nullopt, board});
    }

    void ReadMoveText(const PgnToken& token) {
        OpenLine& open = lines_.back();
        PgnLine& line = *open.Line;
        switch (token.Type) {
            case PgnToken::Kind::Move:
                ReadMove(token, open);
                break;
            case PgnToken::Kind::MoveNumber:
                break;  // the numbers follow from the moves
            case PgnToken::Kind::Nag:
                // A NAG belongs to a move; one before the line's first move says nothing.
                if (!line.Moves.empty()) line.Moves.back().Nags.push_back(token.Number);
                break;
            case PgnToken::Kind::Comment:
                AddComment(line, PgnComment{token.Text, token.ToLineEnd});
                break;
            case PgnToken::Kind::OpenVariation:
                OpenVariation(token, open);
                break;
            case PgnToken::Kind::CloseVariation:
                if (lines_.size() == 1)
                    Fail(token, "", "a ')' closes no variation");
                else
                    lines_.pop_back();
                break;
            case PgnToken::Kind::Unknown:
                Fail(token, "", "unexpected '" + token.Text + "'");
                break;
            default:
                break;
        }
    }

    static void AddComment(PgnLine& line, PgnComment comment) {
        if (line.Moves.empty())
            line.Leading.push_back(std::move(comment));
        else if (line.Moves.back().Variations.empty())
            line.Moves.back().Comments.push_back(std::move(comment));
        else
            line.Moves.back().LateComments.push_back(std::move(comment));
    }

    void ReadMove(const PgnToken& token, OpenLine& open) {
        PgnMove move;
        move.San = token.Text;
        if (open.Now) {
            std::string why;
            if (const std::optional<bitboard::Move> m = open.Now->MoveOfSan(token.Text, &why)) {
                move.San = open.Now->San(*m);
                move.Coordinates = open.Now->Coordinates(*m);
                open.Before = open.Now;
                open.Now->Play(*m);
            } else if (lines_.size() == 1) {
                Fail(token, MoveLabel(open.Line->Moves.size(), token.Text), why);
                return;
            } else {
                open.Before.reset();
                open.Now.reset();  // a variation that goes wrong is kept as written from here on
            }
        } else {
            open.Before.reset();
        }
        open.Line->Moves.push_back(std::move(move));
    }

    void OpenVariation(const PgnToken& token, OpenLine& open) {
        if (open.Line->Moves.empty()) {
            Fail(token, "", "a variation before any move");
            return;
        }
        if (lines_.size() > MaxVariationDepth) {
            Fail(token, "", "variations nested too deep");
            return;
        }
        PgnLine& variation = open.Line->Moves.back().Variations.emplace_back();
        lines_.push_back(OpenLine{&variation, std::nullopt, open.Before});
    }

    std::string MoveLabel(size_t ply, const std::string& san) const {
        return MoveNumberText(game_->FirstMoveNumber(), game_->WhiteMovesFirst(), ply) + " " + san;
    }

    void Fail(const PgnToken& token, const std::string& move, const std::string& why) {
        if (!game_->Error) game_->Error = PgnError{token.Line, move, why};
    }

    PgnLexer lexer_;
    PgnGame* game_ = nullptr;
    std::vector<OpenLine> lines_;
    bool inMoves_ = false;
};

}  // namespace

std::string ErrorText(const PgnGame& game) {
    if (!game.Error) return "";
    std::string text = "game " + std::to_string(game.Number) + ", line " + std::to_string(game.Error->Line);
    if (!game.Error->Move.empty()) text += ", " + game.Error->Move;
    return text + ": " + game.Error->Why;
}

std::vector<PgnGame> ReadPgn(std::string_view text) {
    return GameReader(text).ReadAll();
}
