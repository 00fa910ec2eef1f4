// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/EngineOptions.h"

#include <algorithm>
#include <charconv>

#include "driver/Talvor.h"

StartSettings IniStart;
int AnalysisLines = 1;

namespace {
bool LimitOn = false;
int EloSetting = 1000;

// A settings number within [lo, hi], else the default.
int SettingWithin(const char* sKey, int nDefault, int lo, int hi) {
    const std::string text = ReadSetting(sKey, std::to_string(nDefault));
    int64_t v;
    return WholeNumber(text, lo, hi, v) ? static_cast<int>(v) : nDefault;
}
}  // namespace

const std::vector<EvaluationSpin>& EvaluationSpins() {
    static const std::vector<EvaluationSpin> spins = {
        {"ValorePedoni", &PawnValue, &EvalSettings::PawnValue, 0, 10000},
        {"ValoreCavalli", &KnightValue, &EvalSettings::KnightValue, 0, 10000},
        {"ValoreAlfieri", &BishopValue, &EvalSettings::BishopValue, 0, 10000},
        {"ValoreTorri", &RookValue, &EvalSettings::RookValue, 0, 10000},
        {"ValoreRegine", &QueenValue, &EvalSettings::QueenValue, 0, 10000},
        {"RicercaPatta", &DrawScore, &EvalSettings::DrawScore, -10000, 10000},
    };
    return spins;
}

int SpinMin(const EvaluationSpin& o) {
    return std::min<int>(o.Min, IniSettings.*o.FileValue);
}

int SpinMax(const EvaluationSpin& o) {
    return std::max<int>(o.Max, IniSettings.*o.FileValue);
}

void ReadStartSettings() {
    const StartSettings d;
    IniStart.Strong = SettingWithin("RicercaForte", d.Strong, 0, 1) == 1;
    IniStart.HashMegabytes =
        SettingWithin("MemoriaHash", d.HashMegabytes, MinHashMegabytes, MaxHashMegabytes);
    IniStart.LimitStrength = SettingWithin("LimitaForza", d.LimitStrength, 0, 1) == 1;
    IniStart.Elo = SettingWithin("ForzaElo", d.Elo, MinStrengthElo, MaxStrengthElo);
    ChosenSearch = IniStart.Strong ? SearchKind::Strong : SearchKind::Design;
    SetHashMegabytes(IniStart.HashMegabytes);
    LimitOn = IniStart.LimitStrength;
    EloSetting = IniStart.Elo;
}

void SetLimitStrength(bool bOn) {
    LimitOn = bOn;
}

void SetStrengthSetting(int nElo) {
    EloSetting = std::clamp(nElo, MinStrengthElo, MaxStrengthElo);
}

int AskedStrength() {
    return LimitOn ? EloSetting : 0;
}

bool LimitStrengthOn() {
    return LimitOn;
}

int StrengthSetting() {
    return EloSetting;
}

bool WholeNumber(const std::string& s, int64_t lo, int64_t hi, int64_t& out) {
    const char* begin = s.data() + (s.size() > 1 && s[0] == '+' ? 1 : 0);
    int64_t v = 0;
    const auto r = std::from_chars(begin, s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}
