// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: how it is read, and --help and --version through the real executable.
#include <gtest/gtest.h>

#include <cstdlib>

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

}  // namespace
