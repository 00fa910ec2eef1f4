// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's settings an interface may change while the program runs, shared by the xboard and UCI
// modes: the evaluation values, the search, its hash table, the strength and the analysis lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "eval/Evaluation.h"
#include "search/Search.h"

struct EvaluationSpin {
    const char* Name;
    int16_t* Value;
    int16_t EvalSettings::*FileValue;  // the default: what Talvor.ini says
    int Min, Max;
};
const std::vector<EvaluationSpin>& EvaluationSpins();
// A file value outside the usual range widens it: the default must lie within.
int SpinMin(const EvaluationSpin& o);
int SpinMax(const EvaluationSpin& o);

// What Talvor.ini says at start-up about the search, its hash and the strength (the options' defaults).
struct StartSettings {
    bool Strong = false;
    int HashMegabytes = DefaultHashMegabytes;
    bool LimitStrength = false;
    int Elo = 1000;
};
extern StartSettings IniStart;
// Reads those keys; a value out of range or not a number keeps the default.
void ReadStartSettings();

// The strength settings, and what a search is asked from them (SearchRequest::StrengthElo: 0 for full).
void SetLimitStrength(bool bOn);
void SetStrengthSetting(int nElo);
bool LimitStrengthOn();
int StrengthSetting();
int AskedStrength();

// Lines shown in analysis (MultiPV).
constexpr int MaxAnalysisLines = 20;
extern int AnalysisLines;

// A whole number (the whole text, an optional sign and digits) within [lo, hi].
bool WholeNumber(const std::string& s, int64_t lo, int64_t hi, int64_t& out);
