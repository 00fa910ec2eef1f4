// SPDX-License-Identifier: GPL-3.0-or-later
// The options table through both protocols and the settings file, in process: every option is listed once
// with its value, takes a good value and refuses a bad one with a message and nothing changed, and the file
// sets each setting it names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "driver/Dispatcher.h"
#include "driver/EngineOptions.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"

namespace {
using Lines = std::vector<std::string>;

class OptionsTable : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitEngine(); }
    void SetUp() override {
        SendLineCapture = [this](const std::string& s) { sent.push_back(s); };
    }
    void TearDown() override {
        SendLineCapture = nullptr;
        SetSettingsFile("");
        ReadSettingsFile();  // every option as at start-up again
    }
    Lines Xboard(const std::string& sLine) {
        sent.clear();
        InterpretInput(sLine + "\n");
        return sent;
    }
    Lines Uci(const std::string& sLine) {
        sent.clear();
        UciProtocol().Handle(sLine);
        return sent;
    }
    static size_t Count(const Lines& lines, const std::string& sLine) {
        return std::count(lines.begin(), lines.end(), sLine);
    }
    // A value the option does not hold now, within its range.
    static int Other(const EngineOption& o) { return o.Get() != o.Min ? o.Min : o.Min + 1; }
    Lines sent;
};

TEST_F(OptionsTable, EachOptionThroughBothProtocols) {
    for (const EngineOption& o : EngineOptionTable()) {
        if (o.Type == OptionType::Text || o.Type == OptionType::Button) continue;
        const int before = o.Get(), good = Other(o);
        const std::string range = std::to_string(OptionMin(o)) + " " + std::to_string(OptionMax(o));
        if (o.Xboard || o.XboardCommand) {
            SCOPED_TRACE(o.Xboard ? o.Xboard : o.XboardCommand);
            const std::string set =
                o.Xboard ? std::string("option ") + o.Xboard + "=" : std::string(o.XboardCommand) + " ";
            const std::string bad = o.Type == OptionType::Check ? "yes" : std::to_string(o.Max + 1);
            EXPECT_EQ(Xboard(set + bad), Lines{"Error (bad value): " + set + bad});
            EXPECT_EQ(o.Get(), before);
            EXPECT_EQ(Xboard(set + std::to_string(good)), Lines{});
            EXPECT_EQ(o.Get(), good);
            if (o.Xboard) {
                const std::string shown = std::string("feature option=\"") + o.Xboard +
                                          (o.Type == OptionType::Check ? " -check " : " -spin ") +
                                          std::to_string(good) +
                                          (o.Type == OptionType::Spin ? " " + range : "") + "\"";
                EXPECT_EQ(Count(Xboard("protover 2"), shown), 1u);
            }
            o.Set(before);
        }
        if (o.Uci) {
            SCOPED_TRACE(o.Uci);
            const std::string set = "setoption name " + Lower(o.Uci) + " value ";
            const std::string bad = o.Type == OptionType::Check ? "1" : std::to_string(o.Min - 1);
            const std::string why = o.Type == OptionType::Check
                                        ? "takes true or false"
                                        : "takes a whole number from " + std::to_string(OptionMin(o)) +
                                              " to " + std::to_string(OptionMax(o));
            EXPECT_EQ(Uci(set + bad),
                      Lines{"info string option " + std::string(o.Uci) + " " + why + ", not '" + bad + "'"});
            EXPECT_EQ(o.Get(), before);
            const std::string value =
                o.Type == OptionType::Check ? (good ? "TRUE" : "false") : std::to_string(good);
            EXPECT_EQ(Uci(set + value), Lines{});
            EXPECT_EQ(o.Get(), good);
            const std::string listed =
                std::string("option name ") + o.Uci +
                (o.Type == OptionType::Check
                     ? std::string(" type check default ") + (o.Start ? "true" : "false")
                     : " type spin default " + std::to_string(o.Start) + " min " +
                           std::to_string(OptionMin(o)) + " max " + std::to_string(OptionMax(o)));
            EXPECT_EQ(Count(Uci("uci"), listed), 1u);
            o.Set(before);
        }
    }
    // The words of the commands of their own, buttons, and names no option has.
    EXPECT_NE(Xboard("protover 2").front().find(" memory=1 smp=1 "), std::string::npos);
    EXPECT_EQ(Count(Xboard("protover 2"), "feature option=\"Clear Hash -button\""), 1u);
    EXPECT_EQ(Count(Uci("uci"), "option name Clear Hash type button"), 1u);
    EXPECT_EQ(Xboard("option Clear Hash"), Lines{});
    EXPECT_EQ(Uci("setoption name clear hash"), Lines{});
    EXPECT_EQ(Xboard("option Nonsense=1"), Lines{"Error (unknown option): option Nonsense=1"});
    EXPECT_EQ(Uci("setoption name Nonsense value 1"), Lines{"info string no option named 'Nonsense'"});
    // What the options reach.
    Uci("setoption name UCI_Elo value 700");
    Uci("setoption name UCI_LimitStrength value true");
    Xboard("option ValoreCavalli=300");
    EXPECT_EQ(AskedStrength(), 700);
    EXPECT_EQ(EvaluationValue(EvalValue::Knight), 300);
    EXPECT_EQ(EvaluationValue(EvalValue::Bishop), 330);
}

// Each key the file names sets its option and becomes UCI's default; a bad value keeps the default, and
// the evaluation's values are read as far as they are a number, their range widened to take it in.
TEST_F(OptionsTable, SettingsFile) {
    const std::string path = testing::TempDir() + "talvor_options.ini";
    // The first of a key counts: these come before the good values.
    std::string file = "[Talvor]\nForzaElo=5000\nValoreTorri=480x\nRicercaPatta=-20000\n";
    std::vector<std::pair<const EngineOption*, int>> expected;
    for (const EngineOption& o : EngineOptionTable()) {
        if (!o.Ini || o.Type == OptionType::Text) continue;
        expected.emplace_back(&o, Other(o));
        file += std::string(o.Ini) + "=" + std::to_string(Other(o)) + "\n";
    }
    std::ofstream(path) << file;
    SetSettingsFile(path);
    ReadSettingsFile();
    for (const auto& [o, value] : expected) {
        const int want = o->Ini == std::string("ForzaElo")       ? o->Default
                         : o->Ini == std::string("ValoreTorri")  ? 480
                         : o->Ini == std::string("RicercaPatta") ? -20000
                                                                 : value;
        EXPECT_EQ(o->Get(), want) << o->Ini;
        EXPECT_EQ(o->Start, want) << o->Ini;
    }
    EXPECT_EQ(Count(Uci("uci"), "option name RicercaPatta type spin default -20000 min -20000 max 10000"),
              1u);
    std::remove(path.c_str());
}

}  // namespace
