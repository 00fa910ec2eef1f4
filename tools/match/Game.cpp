// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const char* const kStandardStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int kMateValue = 100000;  // a mate in n as centipawns: beyond every real score

std::string Seconds3(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", s);
    return text;
}

const char* SideName(bool white) {
    return white ? "White" : "Black";
}

// A score from White's view in centipawns, mates far beyond any evaluation.
int WhiteCentipawns(const PlyNote& p) {
    int v = p.Info.Score;
    if (p.Info.Mate) v = v > 0 ? kMateValue - v : -kMateValue - v;
    return p.White ? v : -v;
}

// Whether only its king is left to the side: it cannot win even when the other side's flag falls.
bool BareKing(bool white) {
    for (int k = 0; k < 64; ++k) {
        const int code = Board[SquareOfIndex[k]];
        if (code >= WhitePawn && code <= BlackBishop && code != WhiteKing && code != BlackKing &&
            (code % 2 == 1) == white)
            return false;
    }
    return true;
}

class GameRun {
  public:
    GameRun(Referee& referee, UciEngine* engines[2], const Limits& limits, const ScoreRules& rules)
        : referee_(referee), engines_(engines), limits_(limits), rules_(rules) {}

    GameOutcome Play(const GameStart& start) {
        referee_.Start(start.Fen);
        out_.StartFen = referee_.StartFen();
        position_ = out_.StartFen == kStandardStart ? "position startpos moves"
                                                    : "position fen " + out_.StartFen + " moves";
        for (const std::string& text : start.Moves) {
            const std::optional<MoveRec> m = referee_.Find(text);
            if (!m) break;  // the openings were checked before: cannot happen
            AddPly(*m, true, {}, 0);
        }
        clocks_[0] = clocks_[1] = limits_.Base;
        while (!Finished()) PlayOneMove();
        return out_;
    }

  private:
    bool Finished() {
        if (done_) return true;
        const RulesEnding ending = referee_.Ending();
        if (ending == RulesEnding::Checkmate) {
            const bool whiteWins = !referee_.WhiteMoves();
            return End(whiteWins ? 2 : 0, std::string(SideName(whiteWins)) + " mates");
        }
        if (ending != RulesEnding::None) return End(1, std::string("Draw by ") + EndingText(ending));
        if (!rules_.Enabled) return false;
        const int verdict = ScoreVerdict(out_.Plies, referee_.FullMove(), rules_);
        if (verdict < 0) return false;
        out_.Termination = "adjudication";
        char reason[160];
        if (verdict == 1)
            std::snprintf(reason, sizeof reason, "Draw by adjudication: both scores within %.2f for %d moves",
                          rules_.DrawScore / 100.0, rules_.DrawMoves);
        else
            std::snprintf(reason, sizeof reason,
                          "%s wins by adjudication: both scores %.2f or more for %d moves",
                          SideName(verdict == 2), rules_.WinScore / 100.0, rules_.WinMoves);
        return End(verdict, reason);
    }

    void PlayOneMove() {
        const bool white = referee_.WhiteMoves();
        const int side = white ? 0 : 1;
        UciEngine& engine = *engines_[side];
        const EngineReply reply = engine.Think(position_, limits_.GoCommand(clocks_), Allowance(side));
        const std::string who = std::string(SideName(white)) + " (" + engine.Name() + ")";
        if (reply.Status == EngineReply::Gone) {
            Forfeit(white, Fault::Crash, "abandoned", who + "'s engine exits");
        } else if (reply.Status == EngineReply::TooLate) {
            if (limits_.HasClock() || limits_.MoveTime > 0)
                Forfeit(white, Fault::TimeLoss, "time forfeit",
                        who + " loses on time (no move in " + Seconds3(reply.Seconds) + ")");
            else
                Forfeit(white, Fault::Hang, "abandoned",
                        who + " sends no move in " + Seconds3(reply.Seconds));
        } else if (Late(side, reply.Seconds)) {
            Forfeit(white, Fault::TimeLoss, "time forfeit",
                    who + " loses on time (moves after " + Seconds3(reply.Seconds) + ")");
        } else if (reply.Move.empty() || reply.Move == "(none)" || reply.Move == "0000") {
            Forfeit(white, Fault::FalseClaim, "rules infraction",
                    who + " claims the game is over with bestmove " + reply.Move + " (false claim)");
        } else if (const std::optional<MoveRec> m = referee_.Find(reply.Move)) {
            UseClock(side, reply.Seconds);
            AddPly(*m, false, reply.Info, reply.Seconds);
        } else {
            Forfeit(white, Fault::IllegalMove, "rules infraction",
                    who + " makes an illegal move: " + reply.Move);
        }
    }

    // How long the side to move may take before its reply is overdue: its clock or movetime bound it, the
    // hang limit only where neither does.
    double Allowance(int side) const {
        double limit = INFINITY;
        if (limits_.HasClock()) limit = clocks_[side] + limits_.MarginSeconds;
        if (limits_.MoveTime > 0) limit = std::min(limit, limits_.MoveTime + limits_.MarginSeconds);
        return std::isinf(limit) ? limits_.HangSeconds : limit;
    }

    bool Late(int side, double seconds) const {
        if (limits_.HasClock() && seconds > clocks_[side] + limits_.MarginSeconds) return true;
        return limits_.MoveTime > 0 && seconds > limits_.MoveTime + limits_.MarginSeconds;
    }

    void UseClock(int side, double seconds) {
        ClockUse& use = out_.Clocks[side];
        use.Thinking += seconds;
        ++use.Moves;
        if (!limits_.HasClock()) return;
        const double left = clocks_[side] - seconds;
        use.LeastLeft = std::min(use.LeastLeft, left);
        if (left < 0) ++use.LateMoves;
        clocks_[side] = std::max(left, 0.0) + limits_.Increment;  // a move within the margin used it all
    }

    void AddPly(const MoveRec& m, bool book, const SearchInfo& info, double seconds) {
        PlyNote note;
        note.White = referee_.WhiteMoves();
        position_ += " " + MoveToText(m);
        note.San = referee_.Play(m);
        note.Book = book;
        note.Info = info;
        note.Seconds = seconds;
        out_.Plies.push_back(note);
    }

    void Forfeit(bool white, Fault fault, const char* termination, const std::string& reason) {
        out_.Failure = fault;
        out_.FaultByWhite = white;
        out_.Termination = termination;
        // On time the game is lost only if the other side has something to mate with.
        if (fault == Fault::TimeLoss && BareKing(!white)) {
            End(1, reason + "; " + SideName(!white) + " has a bare king: draw");
            return;
        }
        End(white ? 0 : 2, reason);
    }

    bool End(int whitePoints2, const std::string& reason) {
        out_.WhitePoints2 = whitePoints2;
        out_.Reason = reason;
        done_ = true;
        return true;
    }

    Referee& referee_;
    UciEngine** engines_;
    const Limits& limits_;
    const ScoreRules& rules_;
    GameOutcome out_;
    std::string position_;
    double clocks_[2] = {0, 0};
    bool done_ = false;
};

}  // namespace

GameOutcome PlayGame(Referee& referee, UciEngine* engines[2], const GameStart& start, const Limits& limits,
                     const ScoreRules& rules) {
    return GameRun(referee, engines, limits, rules).Play(start);
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::IllegalMove:
            return "illegal move";
        case Fault::TimeLoss:
            return "time loss";
        case Fault::Crash:
            return "crash";
        case Fault::Hang:
            return "hang";
        case Fault::FalseClaim:
            return "false claim";
        case Fault::None:
            break;
    }
    return "none";
}

std::string Limits::Describe() const {
    std::string text;
    char part[64];
    auto add = [&text](const std::string& s) { text += (text.empty() ? "" : ", ") + s; };
    if (HasClock()) {
        std::snprintf(part, sizeof part, "%g+%g", Base, Increment);
        add(part);
    }
    if (Nodes > 0) add("nodes " + std::to_string(Nodes));
    if (Depth > 0) add("depth " + std::to_string(Depth));
    if (MoveTime > 0) {
        std::snprintf(part, sizeof part, "%g s a move", MoveTime);
        add(part);
    }
    return text;
}

std::string Limits::GoCommand(const double clocks[2]) const {
    std::string go = "go";
    auto ms = [](double seconds) { return std::to_string(std::max(1LL, std::llround(seconds * 1000))); };
    if (HasClock()) {
        go += " wtime " + ms(clocks[0]) + " btime " + ms(clocks[1]);
        if (Increment > 0) go += " winc " + ms(Increment) + " binc " + ms(Increment);
    }
    if (Nodes > 0) go += " nodes " + std::to_string(Nodes);
    if (Depth > 0) go += " depth " + std::to_string(Depth);
    if (MoveTime > 0) go += " movetime " + ms(MoveTime);
    return go;
}

int ScoreVerdict(const std::vector<PlyNote>& plies, int fullMove, const ScoreRules& rules) {
    // The last n plies, all from the engines with a score.
    auto scored = [&plies](size_t n) {
        if (plies.size() < n) return false;
        return std::all_of(plies.end() - n, plies.end(),
                           [](const PlyNote& p) { return !p.Book && p.Info.HasScore; });
    };
    const size_t winPlies = 2 * static_cast<size_t>(rules.WinMoves);
    if (rules.WinMoves > 0 && scored(winPlies)) {
        auto all = [&](auto test) { return std::all_of(plies.end() - winPlies, plies.end(), test); };
        if (all([&](const PlyNote& p) { return WhiteCentipawns(p) >= rules.WinScore; })) return 2;
        if (all([&](const PlyNote& p) { return WhiteCentipawns(p) <= -rules.WinScore; })) return 0;
    }
    const size_t drawPlies = 2 * static_cast<size_t>(rules.DrawMoves);
    if (rules.DrawMoves > 0 && fullMove > rules.DrawFromMove && scored(drawPlies) &&
        std::all_of(plies.end() - drawPlies, plies.end(), [&](const PlyNote& p) {
            return !p.Info.Mate && std::abs(p.Info.Score) <= rules.DrawScore;
        }))
        return 1;
    return -1;
}
