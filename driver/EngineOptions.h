// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's settings, each written once: its names in the xboard protocol, in UCI and in Talvor.ini, its
// type, range and default, and what sets it. The protocols' option lines and commands, the settings-file
// reader, --help and the manual page's list of settings all come from this table.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "search/Search.h"

enum class OptionType { Check, Spin, Button, Text };
enum class OptionProtocol { Xboard, Uci };

struct EngineOption {
    const char* Xboard = nullptr;         // its name in xboard's option command and feature; null: none
    const char* XboardCommand = nullptr;  // or a command of its own ("memory" for memory N), ...
    const char* XboardFeature = nullptr;  // ... which this feature announces ("memory" for memory=1)
    const char* Uci = nullptr;            // its name in UCI's setoption
    const char* Ini = nullptr;            // its key in Talvor.ini
    OptionType Type = OptionType::Spin;
    int Min = 0, Max = 1;  // a spin's range; a check's is 0 (false) to 1 (true)
    int Default = 0;
    const char* Text = "";  // a text setting's default
    // Read from the file as the evaluation's values always were (SettingNumber: any number, kept within
    // 16 bits); the range widens to take the file's value in.
    bool ClassicNumber = false;
    const char* Help = "";  // what it does, for --help and the manual page
    int (*Get)() = nullptr;
    bool (*Set)(int) = nullptr;  // false: refused, and nothing changed (a button's is called with 0)
    int Start = 0;               // in force once the settings file was read (UCI's default)
};
const std::vector<EngineOption>& EngineOptionTable();
// The option of that name in the protocol (UCI's names compare without regard to case); null: none.
const EngineOption* FindOption(const std::string& sName, OptionProtocol protocol);
// A spin's range, widened to take in the settings file's value.
int OptionMin(const EngineOption& o);
int OptionMax(const EngineOption& o);

// At start-up: each setting from Talvor.ini, or its default where the file has no good value for it.
void ReadSettingsFile();
// A text setting (its Talvor.ini key), read from the file afresh; its default where the file has none.
std::string SettingText(const char* sIniKey);

// Sets o from the text of its value: a check takes 1 or 0 over xboard, true or false (in any case) over
// UCI; a spin a whole number within its range; a button nothing. "" when done, else why nothing changed.
std::string SetOptionFromText(const EngineOption& o, const std::string& sValue, OptionProtocol protocol);

// The xboard protocol's words for the commands of their own (memory=1 smp=1), and its option features:
// "RicercaForte -check 0", each with the value in force.
std::string XboardFeatureWords();
std::vector<std::string> XboardOptionFeatures();
// UCI's option lines: "option name Hash type spin default 64 min 1 max 4096", defaults as at start-up.
std::vector<std::string> UciOptionLines();

// The settings as --help lists them, and as the manual page does (troff).
std::string SettingsHelp();
std::string SettingsManPage();

// What the options keep for the driver.
bool LimitStrengthOn();
int StrengthSetting();     // the Elo of LimitaForza, even while it is off
int AskedStrength();       // what a search is asked (SearchRequest::StrengthElo): 0 for full strength
extern int AnalysisLines;  // MultiPV: lines shown in analysis
extern bool OwnBook;       // UCI: the engine plays from its book
extern bool AnalyseMode;   // UCI_AnalyseMode: the book is never asked

// A whole number (the whole text, an optional sign and digits) within [lo, hi].
bool WholeNumber(const std::string& s, int64_t lo, int64_t hi, int64_t& out);
