// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/EngineOptions.h"

#include <algorithm>
#include <charconv>

#include "board/BoardBas.h"
#include "driver/Talvor.h"

int AnalysisLines = 1;
bool OwnBook = true;
bool AnalyseMode = false;

namespace {
bool LimitOn = false;
int EloSetting = 1000;
bool PonderAllowed = false;

template <EvalValue V>
int GetValue() {
    return EvaluationValue(V);
}
template <EvalValue V>
bool SetValue(int nValue) {
    SetEvaluationValue(V, nValue);
    return true;
}
template <EvalValue V>
EngineOption EvaluationOption(const char* sName, int nMin, const char* sHelp) {
    return {.Xboard = sName,
            .Uci = sName,
            .Ini = sName,
            .Min = nMin,
            .Max = 10000,
            .Default = BuiltInEvaluationValue(V),
            .ClassicNumber = true,
            .Help = sHelp,
            .Get = GetValue<V>,
            .Set = SetValue<V>};
}

std::vector<EngineOption> MakeTable() {
    using O = OptionType;
    std::vector<EngineOption> t = {
        {.Xboard = "RicercaForte",
         .Uci = "RicercaForte",
         .Ini = "RicercaForte",
         .Type = O::Check,
         .Help = "1: the strong search plays instead of the classic one",
         .Get = [] { return ChosenSearch == SearchKind::Strong ? 1 : 0; },
         .Set =
             [](int v) {
                 ChooseSearch(v ? SearchKind::Strong : SearchKind::Design);
                 return true;
             }},
        {.XboardCommand = "memory",
         .XboardFeature = "memory",
         .Uci = "Hash",
         .Ini = "MemoriaHash",
         .Min = MinHashMegabytes,
         .Max = MaxHashMegabytes,
         .Default = DefaultHashMegabytes,
         .Help = "the strong search's hash table, in megabytes",
         .Get = HashMegabytes,
         .Set = SetHashMegabytes},
        {.Xboard = "Clear Hash",
         .Uci = "Clear Hash",
         .Type = O::Button,
         .Help = "empties the hash table",
         .Set =
             [](int) {
                 ClearHash();
                 return true;
             }},
        {.XboardCommand = "cores",
         .XboardFeature = "smp",
         .Uci = "Threads",
         .Ini = "ThreadRicerca",
         .Min = MinSearchThreads,
         .Max = MaxSearchThreads,
         .Default = 1,
         .Help = "threads the strong search searches with (the classic one uses one)",
         .Get = SearchThreads,
         .Set = SetSearchThreads},
        {.Xboard = "LimitaForza",
         .Uci = "UCI_LimitStrength",
         .Ini = "LimitaForza",
         .Type = O::Check,
         .Help = "1: the engine plays at about ForzaElo instead of full strength",
         .Get = [] { return LimitOn ? 1 : 0; },
         .Set =
             [](int v) {
                 LimitOn = v != 0;
                 return true;
             }},
        {.Xboard = "ForzaElo",
         .Uci = "UCI_Elo",
         .Ini = "ForzaElo",
         .Min = MinStrengthElo,
         .Max = MaxStrengthElo,
         .Default = 1000,
         .Help = "the strength LimitaForza plays at, in Elo (the classic search reaches at most 1040, the "
                 "strong one no lower than 770)",
         .Get = [] { return EloSetting; },
         .Set =
             [](int v) {
                 EloSetting = v;
                 return true;
             }},
        {.Xboard = "MultiPV",
         .Uci = "MultiPV",
         .Min = 1,
         .Max = 20,
         .Default = 1,
         .Help = "best lines shown in analysis",
         .Get = [] { return AnalysisLines; },
         .Set =
             [](int v) {
                 AnalysisLines = v;
                 return true;
             }},
        {.Uci = "OwnBook",
         .Type = O::Check,
         .Default = 1,
         .Help = "the engine plays from its opening book",
         .Get = [] { return OwnBook ? 1 : 0; },
         .Set =
             [](int v) {
                 OwnBook = v != 0;
                 return true;
             }},
        {.Uci = "Ponder",
         .Type = O::Check,
         .Help = "kept, and otherwise unused: the interface says when the engine ponders (go ponder)",
         .Get = [] { return PonderAllowed ? 1 : 0; },
         .Set =
             [](int v) {
                 PonderAllowed = v != 0;
                 return true;
             }},
        {.Uci = "UCI_AnalyseMode",
         .Type = O::Check,
         .Help = "analysis: the book is never asked",
         .Get = [] { return AnalyseMode ? 1 : 0; },
         .Set =
             [](int v) {
                 AnalyseMode = v != 0;
                 return true;
             }},
        EvaluationOption<EvalValue::Pawn>("ValorePedoni", 0, "the value of a pawn, in centipawns"),
        EvaluationOption<EvalValue::Knight>("ValoreCavalli", 0, "the value of a knight, in centipawns"),
        EvaluationOption<EvalValue::Bishop>("ValoreAlfieri", 0, "the value of a bishop, in centipawns"),
        EvaluationOption<EvalValue::Rook>("ValoreTorri", 0, "the value of a rook, in centipawns"),
        EvaluationOption<EvalValue::Queen>("ValoreRegine", 0, "the value of a queen, in centipawns"),
        EvaluationOption<EvalValue::Draw>(
            "RicercaPatta", -10000, "the score of a drawn position (negative: the engine avoids draws)"),
        {.Ini = "TalvorData",
         .Type = O::Text,
         .Help = "the opening book's file (in the program's folder unless it starts with /); empty: no book"},
        {.Ini = "Seek1",
         .Type = O::Text,
         .Text = "5 0 f",
         .Help = "the first seek sent in answer to allseeks"},
        {.Ini = "Seek2",
         .Type = O::Text,
         .Text = "10 0 f",
         .Help = "the second seek sent in answer to allseeks"},
    };
    for (EngineOption& o : t) o.Start = o.Default;
    return t;
}

std::vector<EngineOption>& Table() {
    static std::vector<EngineOption> table = MakeTable();
    return table;
}

std::string Range(const EngineOption& o) {
    switch (o.Type) {
        case OptionType::Check:
            return "0 or 1";
        case OptionType::Spin:
            return std::to_string(OptionMin(o)) + " to " + std::to_string(OptionMax(o));
        default:
            return "";
    }
}

// "xboard option RicercaForte, UCI RicercaForte"
std::string ProtocolNames(const EngineOption& o) {
    std::string s;
    if (o.Xboard) s = std::string("xboard option ") + o.Xboard;
    if (o.XboardCommand) s = std::string("xboard ") + o.XboardCommand + " N";
    if (o.Uci) s += (s.empty() ? "UCI " : ", UCI ") + std::string(o.Uci);
    return s;
}

// "0 or 1; xboard option RicercaForte, UCI RicercaForte"
std::string Summary(const EngineOption& o) {
    const std::string range = Range(o), names = ProtocolNames(o);
    return range + (!range.empty() && !names.empty() ? "; " : "") + names;
}

std::string DefaultText(const EngineOption& o) {
    return o.Type == OptionType::Text ? o.Text : std::to_string(o.Default);
}

// Text as troff shows it: hyphens as minus signs where they stand for them, backslashes escaped.
std::string Troff(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '\\' ? "\\e" : c == '-' ? "\\-" : std::string(1, c);
    return out;
}
}  // namespace

const std::vector<EngineOption>& EngineOptionTable() {
    return Table();
}

const EngineOption* FindOption(const std::string& sName, OptionProtocol protocol) {
    for (const EngineOption& o : Table()) {
        const char* name = protocol == OptionProtocol::Xboard ? o.Xboard : o.Uci;
        if (name && (protocol == OptionProtocol::Xboard ? sName == name : Lower(sName) == Lower(name)))
            return &o;
    }
    return nullptr;
}

int OptionMin(const EngineOption& o) {
    return o.ClassicNumber ? std::min(o.Min, o.Start) : o.Min;
}

int OptionMax(const EngineOption& o) {
    return o.ClassicNumber ? std::max(o.Max, o.Start) : o.Max;
}

void ReadSettingsFile() {
    for (EngineOption& o : Table()) {
        if (!o.Ini || o.Type == OptionType::Text || o.Type == OptionType::Button) continue;
        const std::string text = ReadSetting(o.Ini, std::to_string(o.Default));
        int64_t v;
        o.Start = o.ClassicNumber                      ? SettingNumber(text)
                  : WholeNumber(text, o.Min, o.Max, v) ? static_cast<int>(v)
                                                       : o.Default;
        o.Set(o.Start);
    }
}

std::string SettingText(const char* sIniKey) {
    for (const EngineOption& o : Table())
        if (o.Ini && std::string(o.Ini) == sIniKey) return ReadSetting(o.Ini, o.Text);
    return "";
}

std::string SetOptionFromText(const EngineOption& o, const std::string& sValue, OptionProtocol protocol) {
    int64_t v = 0;
    if (o.Type == OptionType::Check) {
        const std::string word = Lower(sValue);
        if (protocol == OptionProtocol::Uci && (word == "true" || word == "false"))
            v = word == "true";
        else if (protocol == OptionProtocol::Uci || !WholeNumber(sValue, 0, 1, v))
            return protocol == OptionProtocol::Uci ? "takes true or false, not '" + sValue + "'"
                                                   : "takes 1 or 0, not '" + sValue + "'";
    } else if (o.Type == OptionType::Spin && !WholeNumber(sValue, OptionMin(o), OptionMax(o), v)) {
        return "takes a whole number from " + std::to_string(OptionMin(o)) + " to " +
               std::to_string(OptionMax(o)) + ", not '" + sValue + "'";
    }
    if (o.Set(static_cast<int>(v))) return "";
    return "cannot be set to " + sValue + "; it stays at " + std::to_string(o.Get());
}

std::string XboardFeatureWords() {
    std::string words;
    for (const EngineOption& o : Table())
        if (o.XboardFeature) words += (words.empty() ? "" : " ") + std::string(o.XboardFeature) + "=1";
    return words;
}

std::vector<std::string> XboardOptionFeatures() {
    std::vector<std::string> lines;
    for (const EngineOption& o : Table()) {
        if (!o.Xboard) continue;
        std::string line = o.Xboard;
        if (o.Type == OptionType::Button) line += " -button";
        if (o.Type == OptionType::Check) line += " -check " + std::to_string(o.Get());
        if (o.Type == OptionType::Spin)
            line += " -spin " + std::to_string(o.Get()) + " " + std::to_string(OptionMin(o)) + " " +
                    std::to_string(OptionMax(o));
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> UciOptionLines() {
    std::vector<std::string> lines;
    for (const EngineOption& o : Table()) {
        if (!o.Uci) continue;
        std::string line = std::string("option name ") + o.Uci;
        if (o.Type == OptionType::Button) line += " type button";
        if (o.Type == OptionType::Check)
            line += std::string(" type check default ") + (o.Start ? "true" : "false");
        if (o.Type == OptionType::Spin)
            line += " type spin default " + std::to_string(o.Start) + " min " + std::to_string(OptionMin(o)) +
                    " max " + std::to_string(OptionMax(o));
        lines.push_back(line);
    }
    return lines;
}

std::string SettingsHelp() {
    std::string s;
    for (const EngineOption& o : Table()) {
        const char* name = o.Ini ? o.Ini : o.Uci ? o.Uci : o.Xboard;
        std::string head = std::string(name) + (o.Type == OptionType::Button ? "" : "=" + DefaultText(o));
        head.resize(std::max<size_t>(head.size() + 2, 20), ' ');
        const std::string summary = Summary(o);
        s += "  " + head + o.Help + "\n";
        if (!summary.empty()) s += std::string(22, ' ') + summary + "\n";
    }
    return s;
}

std::string SettingsManPage() {
    std::string s, others;
    for (const EngineOption& o : Table()) {
        const std::string summary = Summary(o);
        std::string item = std::string(".TP\n.BR \"") + (o.Ini ? o.Ini : o.Uci ? o.Uci : o.Xboard) + "\"";
        if (o.Type != OptionType::Button)
            item +=
                " \" (" + Troff(o.Type == OptionType::Text && !*o.Text ? "empty" : DefaultText(o)) + ")\"";
        item += "\n" + Troff(o.Help) + (summary.empty() ? "" : " (" + Troff(summary) + ")") + "\n";
        (o.Ini ? s : others) += item;
    }
    return s + ".PP\nThe interfaces also offer these options, which the file does not set:\n" + others;
}

bool LimitStrengthOn() {
    return LimitOn;
}

int StrengthSetting() {
    return EloSetting;
}

int AskedStrength() {
    return LimitOn ? EloSetting : 0;
}

bool WholeNumber(const std::string& s, int64_t lo, int64_t hi, int64_t& out) {
    const char* begin = s.data() + (s.size() > 1 && s[0] == '+' ? 1 : 0);
    int64_t v = 0;
    const auto r = std::from_chars(begin, s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}
