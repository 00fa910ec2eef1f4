// SPDX-License-Identifier: GPL-3.0-or-later
// PGN text cut into tokens, for the reader. Nothing here knows chess: a move is any symbol that is not a
// result or a move number. Bytes that mean nothing in PGN become Unknown tokens; the reader decides.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

struct PgnToken {
    enum class Kind {
        End,         // no more text
        Tag,         // [Name "value"]: Name and Text (unescaped)
        BadTag,      // a '[' that does not open a well-formed tag: Text says why
        Comment,     // Text; ToLineEnd for a ';' comment
        Nag,         // Number (also from suffixes such as "!?" and symbols such as "+-")
        MoveNumber,  // Number, with or without its dots
        Move,        // Text: the symbol as written, check and mate marks included
        Result,      // Text: 1-0, 0-1, 1/2-1/2 or *
        OpenVariation,
        CloseVariation,
        Unknown  // Text: the byte that fits nothing
    };
    Kind Type = Kind::End;
    std::string Name, Text;
    int Number = 0;
    bool ToLineEnd = false;
    int Line = 1;               // where the token begins
    size_t Begin = 0, End = 0;  // its bytes in the text
};

class PgnLexer {
  public:
    explicit PgnLexer(std::string_view text);
    PgnToken Next();

  private:
    void SkipBlanksAndEscapes();
    void Advance(size_t count);
    PgnToken ReadTag();
    PgnToken ReadBraceComment();
    PgnToken ReadLineComment();
    PgnToken ReadSymbol();
    PgnToken ReadSuffix();
    bool AtLineStart() const;

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    size_t lastCloseBrace_;  // where the last '}' stands: a '{' after it is never closed
};
