// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/PgnLexer.h"

#include <array>
#include <cctype>
#include <utility>

namespace {

bool IsSymbolChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x80 && std::isalnum(u)) || c == '_' || c == '+' || c == '#' || c == '=' || c == ':' ||
           c == '-' || c == '/';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsTagNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 && (std::isalnum(u) || c == '_');
}

bool AllDigits(std::string_view s) {
    for (const char c : s)
        if (!IsDigit(c)) return false;
    return !s.empty();
}

// A number from digits, held below a bound so that a long run of digits cannot overflow.
int BoundedNumber(std::string_view digits) {
    int n = 0;
    for (const char c : digits) n = n > 100000000 ? n : n * 10 + (c - '0');
    return n;
}

// Evaluation symbols some programs write as text instead of their NAGs.
int NagOfSymbol(std::string_view s) {
    static constexpr std::array<std::pair<std::string_view, int>, 9> symbols{{{"=", 10},
                                                                              {"+/=", 14},
                                                                              {"+=", 14},
                                                                              {"=/+", 15},
                                                                              {"=+", 15},
                                                                              {"+/-", 16},
                                                                              {"-/+", 17},
                                                                              {"+-", 18},
                                                                              {"-+", 19}}};
    for (const auto& [text, nag] : symbols)
        if (s == text) return nag;
    return 0;
}

int NagOfSuffix(std::string_view s) {
    static constexpr std::array<std::string_view, 6> suffixes{"!", "?", "!!", "??", "!?", "?!"};
    for (size_t i = 0; i < suffixes.size(); ++i)
        if (s == suffixes[i]) return static_cast<int>(i) + 1;
    return 0;
}

}  // namespace

PgnLexer::PgnLexer(std::string_view text) : text_(text), lastCloseBrace_(text.rfind('}')) {
    // The byte order mark some editors put before UTF-8 text.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

void PgnLexer::Advance(size_t count) {
    for (size_t end = std::min(pos_ + count, text_.size()); pos_ < end; ++pos_)
        if (text_[pos_] == '\n') ++line_;
}

bool PgnLexer::AtLineStart() const {
    return pos_ == 0 || text_[pos_ - 1] == '\n';
}

void PgnLexer::SkipBlanksAndEscapes() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '%' && AtLineStart()) {
            // An escape line belongs to some other program: skipped whole.
            const size_t end = text_.find('\n', pos_);
            Advance(end == std::string_view::npos ? text_.size() - pos_ : end - pos_);
        } else if (IsBlank(c) || c == '.') {
            // Loose dots ("1. ... e5") carry nothing once the move number is read.
            Advance(1);
        } else if (text_.substr(pos_, 4) == "e.p.") {
            Advance(4);
        } else {
            return;
        }
    }
}

PgnToken PgnLexer::Next() {
    SkipBlanksAndEscapes();
    const size_t begin = pos_;
    const int line = line_;
    PgnToken token;
    if (pos_ >= text_.size()) {
        token.Type = PgnToken::Kind::End;
    } else {
        const char c = text_[pos_];
        if (c == '[') {
            token = ReadTag();
        } else if (c == '{') {
            token = ReadBraceComment();
        } else if (c == ';') {
            token = ReadLineComment();
        } else if (c == '(' || c == ')') {
            token.Type = c == '(' ? PgnToken::Kind::OpenVariation : PgnToken::Kind::CloseVariation;
            Advance(1);
        } else if (c == '*') {
            token.Type = PgnToken::Kind::Result;
            token.Text = "*";
            Advance(1);
        } else if (c == '!' || c == '?') {
            token = ReadSuffix();
        } else if (c == '$' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1])) {
            size_t end = pos_ + 1;
            while (end < text_.size() && IsDigit(text_[end])) ++end;
            token.Type = PgnToken::Kind::Nag;
            token.Number = BoundedNumber(text_.substr(pos_ + 1, end - pos_ - 1));
            if (token.Number > 255) token = PgnToken{PgnToken::Kind::Unknown, "", "$", 0};
            Advance(end - pos_);
        } else if (IsSymbolChar(c)) {
            token = ReadSymbol();
        } else {
            token.Type = PgnToken::Kind::Unknown;
            token.Text = std::string(1, c);
            Advance(1);
        }
    }
    token.Line = line;
    token.Begin = begin;
    token.End = pos_;
    return token;
}

PgnToken PgnLexer::ReadTag() {
    // [Name "value"], with \" and \\ escaped in the value. The line is the unit: whatever goes wrong,
    // the rest of the tag's line is passed over.
    const size_t lineEnd = std::min(text_.find('\n', pos_), text_.size());
    const std::string_view rest = text_.substr(pos_, lineEnd - pos_);
    PgnToken token;
    token.Type = PgnToken::Kind::BadTag;
    size_t i = 1;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    const size_t nameBegin = i;
    while (i < rest.size() && IsTagNameChar(rest[i])) ++i;
    token.Name = std::string(rest.substr(nameBegin, i - nameBegin));
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    if (token.Name.empty() || i >= rest.size() || rest[i] != '"') {
        token.Text = "a tag needs a name and a quoted value";
        Advance(rest.size());
        return token;
    }
    // The value ends at the quote before the closing bracket; a quote inside it that its writer forgot to
    // escape is kept as part of it.
    const size_t close = rest.rfind(']');
    const size_t lastQuote = close == std::string_view::npos ? close : rest.rfind('"', close);
    if (close == std::string_view::npos || lastQuote <= i ||
        rest.substr(lastQuote + 1, close - lastQuote - 1).find_first_not_of(" \t") !=
            std::string_view::npos) {
        token.Text = "the tag is not closed";
        Advance(rest.size());
        return token;
    }
    for (size_t k = i + 1; k < lastQuote; ++k) {
        if (rest[k] == '\\' && k + 1 < lastQuote && (rest[k + 1] == '"' || rest[k + 1] == '\\')) ++k;
        token.Text.push_back(rest[k]);
    }
    token.Type = PgnToken::Kind::Tag;
    Advance(close + 1);
    return token;
}

PgnToken PgnLexer::ReadBraceComment() {
    PgnToken token;
    token.Type = PgnToken::Kind::Comment;
    size_t end;
    size_t next;
    if (lastCloseBrace_ != std::string_view::npos && lastCloseBrace_ > pos_) {
        end = text_.find('}', pos_);
        next = end + 1;
    } else {
        // Never closed: the comment ends where the next game's tags begin, so that a missing brace costs
        // no more than this game's end.
        size_t newline = pos_;
        while ((newline = text_.find('\n', newline)) != std::string_view::npos &&
               newline + 1 < text_.size() && text_[newline + 1] != '[')
            ++newline;
        end = newline == std::string_view::npos || newline + 1 >= text_.size() ? text_.size() : newline;
        next = end;
    }
    token.Text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
    Advance(next - pos_);
    return token;
}

PgnToken PgnLexer::ReadLineComment() {
    PgnToken token;
    token.Type = PgnToken::Kind::Comment;
    token.ToLineEnd = true;
    size_t end = std::min(text_.find('\n', pos_), text_.size());
    token.Text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
    if (!token.Text.empty() && token.Text.back() == '\r') token.Text.pop_back();
    Advance(end - pos_);
    return token;
}

PgnToken PgnLexer::ReadSuffix() {
    PgnToken token;
    size_t length = 1;
    if (pos_ + 1 < text_.size() && (text_[pos_ + 1] == '!' || text_[pos_ + 1] == '?')) length = 2;
    token.Type = PgnToken::Kind::Nag;
    token.Number = NagOfSuffix(text_.substr(pos_, length));
    Advance(length);
    return token;
}

PgnToken PgnLexer::ReadSymbol() {
    size_t end = pos_;
    while (end < text_.size() && IsSymbolChar(text_[end])) ++end;
    const std::string_view symbol = text_.substr(pos_, end - pos_);
    Advance(end - pos_);
    PgnToken token;
    token.Text = std::string(symbol);
    if (AllDigits(symbol)) {
        token.Type = PgnToken::Kind::MoveNumber;
        token.Number = BoundedNumber(symbol);
    } else if (symbol == "1-0" || symbol == "0-1" || symbol == "1/2-1/2") {
        token.Type = PgnToken::Kind::Result;
    } else if (const int nag = NagOfSymbol(symbol)) {
        token.Type = PgnToken::Kind::Nag;
        token.Number = nag;
    } else {
        token.Type = PgnToken::Kind::Move;
    }
    return token;
}
