// Engine start-up: every engine-wide table, the settings, the book, then a fresh game.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "driver/Talvor.h"
#include "search/BookBas.h"
#include "search/SearchBas.h"

int16_t SettingNumber(const std::string& sText) {
    // Blanks, tabs and line feeds are passed over wherever they stand, as the settings were always read.
    std::string number;
    size_t i = 0;
    auto skip = [&] {
        while (i < sText.size() && (sText[i] == ' ' || sText[i] == '\t' || sText[i] == '\n')) ++i;
    };
    auto digits = [&] {
        int n = 0;
        for (skip(); i < sText.size() && sText[i] >= '0' && sText[i] <= '9'; skip()) {
            number += sText[i++];
            ++n;
        }
        return n;
    };
    skip();
    if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) number += sText[i++];
    int mantissa = digits();
    skip();
    if (i < sText.size() && sText[i] == '.') {
        number += sText[i++];
        mantissa += digits();
    }
    if (mantissa == 0) return 0;
    skip();
    if (i < sText.size() && (sText[i] == 'e' || sText[i] == 'E' || sText[i] == 'd' || sText[i] == 'D')) {
        const size_t mark = number.size();
        ++i;
        number += 'e';
        skip();
        if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) number += sText[i++];
        if (digits() == 0) number.resize(mark);  // a bare exponent letter ends the number
    }
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));  // halves to even
    if (value <= -32768.0) return INT16_MIN;  // out of range: the nearest value that fits
    if (value >= 32767.0) return INT16_MAX;
    return static_cast<int16_t>(value);
}

void InitEngine() {
    ProtocolVersion = 1;
    std::memset(PVLength, 0, sizeof PVLength);
    for (auto& row : PVTable)
        for (auto& m : row) m = MoveRec{};
    std::memset(HistoryTable, 0, sizeof HistoryTable);
    for (int p = 0; p < SearchPlies; ++p) {
        KillerMove1[p] = KillerMove2[p] = MoveRec{};
        KillerScore[p] = 0;
        KillerScoreReset[p] = -ScoreInfinity;
    }
    // Board, piece list, touch counts, the start position and the FEN square table.
    InitBoardTables();

    PawnValue = SettingNumber(ReadSetting("ValorePedoni", "100"));
    KnightValue = SettingNumber(ReadSetting("ValoreCavalli", "313"));
    BishopValue = SettingNumber(ReadSetting("ValoreAlfieri", "330"));
    RookValue = SettingNumber(ReadSetting("ValoreTorri", "520"));
    QueenValue = SettingNumber(ReadSetting("ValoreRegine", "900"));
    DrawScore = SettingNumber(ReadSetting("RicercaPatta", "0"));

    FillEvaluationTables();
    BookLoaded = LoadBook();
    ResetGame();
}
