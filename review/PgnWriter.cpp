// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/PgnWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr size_t MaxLineLength = 80;

// Movetext laid out in words, a line broken before a word that would not fit.
class MoveTextLayout {
  public:
    void Word(std::string_view word) {
        if (length_ > 0 && length_ + 1 + word.size() > MaxLineLength) EndLine();
        if (length_ > 0) Put(" ");
        // A line that begins with '%' would be taken for an escape line and skipped by readers.
        if (length_ == 0 && !word.empty() && word.front() == '%') Put(" ");
        Put(word);
    }
    void EndLine() {
        text_ += '\n';
        length_ = 0;
    }
    std::string Finish() {
        if (length_ > 0) EndLine();
        return std::move(text_);
    }

  private:
    void Put(std::string_view s) {
        text_ += s;
        length_ += s.size();
    }
    std::string text_;
    size_t length_ = 0;
};

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        if (end > i) words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

// Every comment is written between braces (not all readers know ';' comments), where a '}' cannot stand:
// the braces of a ';' comment become parentheses.
std::string BraceSafe(const PgnComment& comment) {
    std::string text = comment.Text;
    if (comment.ToLineEnd && text.find('}') != std::string::npos)
        for (char& c : text) c = c == '{' ? '(' : c == '}' ? ')' : c;
    return text;
}

// Writes the movetext of a game: moves with their numbers, NAGs, comments and variations.
class MoveTextWriter {
  public:
    MoveTextWriter(int firstMove, bool whiteFirst) : firstMove_(firstMove), whiteFirst_(whiteFirst) {}

    void Comment(const PgnComment& comment) {
        // A comment that fits on a line is kept on one; a longer one is broken between its words, its
        // braces kept with its first and last word.
        const std::string text = BraceSafe(comment);
        const std::vector<std::string_view> words = Words(text);
        std::string whole = "{";
        for (const std::string_view word : words) whole.append(" ").append(word);
        whole += " }";
        if (whole.size() <= MaxLineLength || words.size() < 2) {
            layout_.Word(words.empty() ? "{ }" : whole);
        } else {
            layout_.Word("{ " + std::string(words.front()));
            for (size_t i = 1; i + 1 < words.size(); ++i) layout_.Word(words[i]);
            layout_.Word(std::string(words.back()) + " }");
        }
        numberDue_ = true;
    }
    void Comments(const std::vector<PgnComment>& comments) {
        for (const PgnComment& c : comments) Comment(c);
    }

    void Move(size_t ply, const std::string& san) {
        const bool white = (ply % 2 == 0) == whiteFirst_;
        if (white || numberDue_)
            layout_.Word(MoveNumberText(firstMove_, whiteFirst_, ply) + " " + san);
        else
            layout_.Word(san);
        numberDue_ = false;
    }
    void Nag(int nag) { layout_.Word("$" + std::to_string(nag)); }

    void Line(const PgnLine& line, size_t firstPly, const std::vector<MoveAnnotation>* notes) {
        Comments(line.Leading);
        for (size_t i = 0; i < line.Moves.size(); ++i) {
            const PgnMove& move = line.Moves[i];
            const MoveAnnotation* note = notes && i < notes->size() ? &(*notes)[i] : nullptr;
            Move(firstPly + i, move.San);
            if (note && note->Nag) Nag(note->Nag);
            for (const int nag : move.Nags)
                if (!note || nag != note->Nag) Nag(nag);
            if (note && note->WhiteEval) Comment(PgnComment{"[%eval " + EvalText(*note->WhiteEval) + "]"});
            Comments(note ? WithoutEval(move.Comments) : move.Comments);
            if (note && !note->Comment.empty()) Comment(PgnComment{note->Comment});
            if (note && !note->BetterLine.empty()) Variation(SanLine(note->BetterLine), firstPly + i);
            for (const PgnLine& variation : move.Variations) Variation(variation, firstPly + i);
            Comments(move.LateComments);
        }
    }

    void Result(const std::string& result) { layout_.Word(result); }
    std::string Finish() { return layout_.Finish(); }

  private:
    void Variation(const PgnLine& line, size_t firstPly) {
        layout_.Word("(");
        numberDue_ = true;
        Line(line, firstPly, nullptr);
        layout_.Word(")");
        numberDue_ = true;
    }
    static PgnLine SanLine(const std::vector<std::string>& sans) {
        PgnLine line;
        for (const std::string& san : sans) line.Moves.push_back(PgnMove{san, "", {}, {}, {}, {}});
        return line;
    }
    // Evaluations the file already held give way to the review's own; the rest of each comment stays.
    static std::vector<PgnComment> WithoutEval(const std::vector<PgnComment>& comments) {
        std::vector<PgnComment> kept;
        for (PgnComment c : comments) {
            bool removed = false;
            for (size_t at; (at = c.Text.find("[%eval")) != std::string::npos; removed = true) {
                const size_t close = c.Text.find(']', at);
                c.Text.erase(at, close == std::string::npos ? std::string::npos : close + 1 - at);
            }
            if (!removed || !Words(c.Text).empty()) kept.push_back(c);
        }
        return kept;
    }

    MoveTextLayout layout_;
    int firstMove_;
    bool whiteFirst_;
    bool numberDue_ = true;  // the next Black move needs its number ("12...")
};

std::string EscapedTagValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// What a game cut short ends with: its Result tag when that is a result, else "unknown".
std::string ResultOfTags(const PgnGame& game) {
    const std::string result = game.TagOr("Result", "*");
    return result == "1-0" || result == "0-1" || result == "1/2-1/2" ? result : "*";
}

}  // namespace

std::string EvalText(const Score& whiteScore) {
    if (whiteScore.IsMate()) return "#" + std::to_string(whiteScore.Value);
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", whiteScore.Value / 100.0);
    return text;
}

int JudgementNag(Judgement mark) {
    switch (mark) {
        case Judgement::Inaccuracy:
            return 6;
        case Judgement::Mistake:
            return 2;
        case Judgement::Blunder:
            return 4;
        case Judgement::None:
            break;
    }
    return 0;
}

std::string MoveNumberText(int firstMove, bool whiteFirst, size_t ply) {
    const size_t plyFromWhite = ply + (whiteFirst ? 0 : 1);
    const std::string number = std::to_string(static_cast<size_t>(firstMove) + plyFromWhite / 2);
    return plyFromWhite % 2 == 0 ? number + "." : number + "...";
}

std::string PgnText(const PgnGame& game, const PgnAnnotations* annotations) {
    std::string text;
    bool annotatorWritten = false;
    const bool annotate = annotations && !annotations->Annotator.empty();
    for (const PgnTag& tag : game.Tags) {
        std::string value = tag.Value;
        if (annotate && tag.Name == "Annotator") {
            if (annotatorWritten) continue;
            value = annotations->Annotator;
            annotatorWritten = true;
        }
        text += "[" + tag.Name + " \"" + EscapedTagValue(value) + "\"]\n";
    }
    if (annotate && !annotatorWritten)
        text += "[Annotator \"" + EscapedTagValue(annotations->Annotator) + "\"]\n";
    if (!text.empty()) text += '\n';

    MoveTextWriter movetext(game.FirstMoveNumber(), game.WhiteMovesFirst());
    movetext.Line(game.Moves, 0, annotations ? &annotations->Moves : nullptr);
    movetext.Result(game.Terminated ? game.Result : ResultOfTags(game));
    return text + movetext.Finish() + '\n';
}
