// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: how it is read, and --help and --version through the real executable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/ReviewCommand.h"
#include "driver/Talvor.h"
#include "tools/latency/EngineProcess.h"

namespace {

TEST(CommandLine, SwitchesWordsAndWarnings) {
    const struct {
        const char* Line;
        RunMode Mode;
        bool Strong;
        size_t Warnings;
    } cases[] = {
        {"", RunMode::Window, false, 0},
        {"-XBoard", RunMode::Xboard, false, 0},
        {"xboard inguimode", RunMode::Window, false, 0},
        {"/inguimode xboard", RunMode::Xboard, false, 0},
        {"-xboard -uci", RunMode::Uci, false, 0},
        {"xboard  foo", RunMode::Xboard, false, 2},  // the empty switch between the blanks, and foo
        {"-xboard -strong", RunMode::Xboard, true, 0},
        {"/STRONG -uci", RunMode::Uci, true, 0},
        {"strong", RunMode::Window, true, 0},
        {"-stronger -uci", RunMode::Uci, false, 1},
        // The usual help and version switches, exactly as written, before any other; the rest is not read.
        {"--help", RunMode::Help, false, 0},
        {"-xboard -h", RunMode::Help, false, 0},
        {"--version", RunMode::Version, false, 0},
        {"-V --help", RunMode::Version, false, 0},
        {"-H", RunMode::Window, false, 1},
        {"-v --HELP", RunMode::Window, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        std::vector<std::string> warnings;
        const StartOptions options = ChooseRunMode(c.Line, warnings);
        EXPECT_EQ(options.Mode, c.Mode);
        EXPECT_EQ(options.Strong, c.Strong);
        EXPECT_EQ(warnings.size(), c.Warnings);
        for (const std::string& w : warnings) EXPECT_TRUE(w.ends_with(std::string("\n") + c.Line)) << w;
    }
}

// Help and version as a terminal shows them: on standard output, nothing on standard error, exit 0, and
// no window (there is no display to open one on) and no engine waiting for commands.
TEST(CommandLine, HelpAndVersionPrintAndEnd) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    std::string help;
    for (const auto& [option, isHelp] :
         {std::pair{"--help", true}, {"-h", true}, {"--version", false}, {"-V", false}}) {
        SCOPED_TRACE(option);
        EngineProcess p({TALVOR_EXE, option});
        ASSERT_EQ(p.WaitExit(10000), 0);
        const std::string out = p.TakeOutput();
        EXPECT_EQ(p.ErrorOutput(), "");
        if (!isHelp) {
            EXPECT_TRUE(out.starts_with(std::string("talvor ") + TALVOR_VERSION + "\n")) << out;
            EXPECT_NE(out.find("GNU GPL version 3 or later"), std::string::npos) << out;
            continue;
        }
        for (const char* text : {"-xboard", "-uci", "-inguimode", "-strong", "--version", "no switch",
                                 "/Talvor.ini\n", "TalvorData"})
            EXPECT_NE(out.find(text), std::string::npos) << text << " in\n" << out;
        EXPECT_TRUE(help.empty() || out == help);
        help = out;
    }
}

// The review's command line: each value lands where it belongs, and a fault says which.
TEST(CommandLine, ReviewArgumentsAndTheirFaults) {
    std::string error;
    using Args = std::vector<std::string>;
    const auto full = ReadReviewArguments(
        Args{"--review", "g.pgn", "-o", "out.pgn", "--side", "black", "--depth", "6", "--threads", "2"},
        error);
    ASSERT_TRUE(full) << error;
    EXPECT_EQ(full->Input, "g.pgn");
    EXPECT_EQ(full->Output, "out.pgn");
    EXPECT_EQ(full->Sides, ReviewSides::Black);
    EXPECT_EQ(full->Budget.Type, AnalysisBudget::Kind::Depth);
    EXPECT_EQ(full->Budget.Amount, 6);
    EXPECT_EQ(full->Threads, 2);
    const auto least = ReadReviewArguments(Args{"--seconds", "0.5", "--review", "-"}, error);
    ASSERT_TRUE(least) << error;
    EXPECT_EQ(least->Input, "-");
    EXPECT_EQ(least->Output, "");
    EXPECT_EQ(least->Sides, ReviewSides::Both);
    EXPECT_EQ(least->Budget.Type, AnalysisBudget::Kind::Seconds);
    EXPECT_EQ(least->Threads, 1);

    const struct {
        Args Line;
        const char* Error;
    } faults[] = {
        {{"--review"}, "--review needs a value"},
        {{"-o", "out.pgn"}, "--review needs a PGN file"},
        {{"--review", "g.pgn", "--nodes", "5000", "--depth", "3"},
         "give one of --nodes, --seconds and --depth"},
        {{"--review", "g.pgn", "--side", "left"}, "bad value for --side: left"},
        {{"--review", "g.pgn", "--threads", "0"}, "bad value for --threads: 0"},
        {{"--review", "g.pgn", "-x", "1"}, "unknown argument -x"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.Error);
        EXPECT_FALSE(ReadReviewArguments(f.Line, error));
        EXPECT_EQ(error, f.Error);
    }
}

// talvor --review writes the game back annotated, for the side asked for: Black's blunder is marked.
TEST(CommandLine, ReviewWritesTheAnnotatedGame) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("talvor-review-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.pgn").string(), out = (dir / "out.pgn").string();
    std::ofstream(in) << "[White \"C\"]\n[Black \"D\"]\n[Result \"1-0\"]\n\n"
                         "1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n";
    for (const char* side : {"black", "white"}) {
        SCOPED_TRACE(side);
        std::filesystem::remove(out);
        EngineProcess p({TALVOR_EXE, "--review", in, "-o", out, "--nodes", "20000", "--side", side});
        ASSERT_EQ(p.WaitExit(60000), 0) << p.ErrorOutput();
        std::stringstream text;
        text << std::ifstream(out).rdbuf();
        EXPECT_NE(text.str().find("[Annotator "), std::string::npos) << text.str();
        EXPECT_EQ(text.str().find("Nf6 $4") != std::string::npos, side == std::string("black")) << text.str();
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
