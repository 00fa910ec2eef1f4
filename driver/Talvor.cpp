// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the run modes and the main loop.
#include "driver/Talvor.h"

#include <fstream>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/EngineOptions.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "platform/Platform.h"
#include "search/BookBas.h"
#include "search/Search.h"

namespace {
// The program's message texts (resource strings 101 and 102).
constexpr char NoClockText[] = "Talvor needs a monotonic clock to time its moves, and this system has none.";
constexpr char UnknownSwitchText[] =
    "Talvor: unknown command-line switch ignored (use -xboard or -uci to run under a chess interface).";
constexpr char NoWindowText[] =
    "talvor: this build has no game window. Run it from a chess interface, e.g. "
    "xboard -fcp \"talvor -xboard\", or talk to it directly with: talvor -xboard (or talvor -uci)\n";
// talvor --help: around the folder the settings are read from.
constexpr char UsageHead[] =
    "Usage: talvor [SWITCH]...\n"
    "TalvorWBE, a chess engine with a game window of its own.\n"
    "\n"
    "With no switch talvor opens its game window, in which you play White against the engine.\n"
    "\n"
    "  -xboard        a chess engine on standard input and output: the xboard (CECP) protocol\n"
    "  -uci           a chess engine on standard input and output: the UCI protocol\n"
    "  -inguimode     the game window (as with no switch)\n"
    "  -strong        the strong search plays (with -xboard, with -uci or in the window)\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and the licence and exit\n"
    "\n"
    "xboard, uci, inguimode and strong are compared in lower case and may also be written plain or\n"
    "after a slash (xboard, /xboard). Of -xboard, -uci and -inguimode the last one given counts. An\n"
    "unknown switch is reported and ignored.\n"
    "\n"
    "The settings are read from Talvor.ini, section [Talvor], in the folder of the program (symbolic\n"
    "links resolved), here:\n"
    "  ";
constexpr char UsageSettings[] =
    "/Talvor.ini\n"
    "\n"
    "Its settings, as KEY=DEFAULT, and the options of the protocols that also change them:\n";
constexpr char UsageTail[] = "\nMore in the manual page: man talvor\n";
// talvor --version, after the version line.
constexpr char LicenceText[] =
    "Copyright (C) 2026 TalvorWBE developers\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// The game window is a module beside the program, loaded only when the window is asked for, so an engine
// run under a chess interface starts without loading the window system's libraries.
constexpr char WindowModuleName[] = "talvor-window.so";
constexpr char WindowModuleEntry[] = "TalvorInstallGameWindow";

// Fills the GameWindow hooks from the window module, if this build has one. Returns what went wrong,
// empty when the window is there.
std::string LoadGameWindow() {
    const std::string path = ProgramFolder() + "/" + WindowModuleName;
    if (!std::ifstream(path)) return NoWindowText;
    std::string why;
    if (RunProgramModule(path, WindowModuleEntry, why)) return {};
    return "talvor: the game window could not be loaded: " + why +
           "\nRun it from a chess interface instead, e.g. xboard -fcp \"talvor -xboard\".\n";
}
}  // namespace

StartOptions ChooseRunMode(const std::string& sCommandLine, std::vector<std::string>& warnings) {
    StartOptions options;
    RunMode console = RunMode::Window;  // the last console switch, if any
    RunMode text = RunMode::Window;     // the first of --help and --version, if any
    bool gui = false;
    if (!sCommandLine.empty()) {
        const std::string line = Lower(sCommandLine);
        size_t start = 0;
        for (;;) {
            const size_t blank = line.find(' ', start);
            const size_t length = blank == std::string::npos ? blank : blank - start;
            const std::string token = line.substr(start, length),
                              asGiven = sCommandLine.substr(start, length);
            const std::string word =
                token.empty() || (token[0] != '-' && token[0] != '/') ? token : token.substr(1);
            if (word == "xboard" || word == "uci") {
                console = word == "uci" ? RunMode::Uci : RunMode::Xboard;
                gui = false;
            } else if (word == "inguimode") {
                gui = true;
            } else if (word == "strong") {
                options.Strong = true;
            } else if (asGiven == "--help" || asGiven == "-h" || asGiven == "--version" || asGiven == "-V") {
                if (text == RunMode::Window)
                    text = asGiven == "--help" || asGiven == "-h" ? RunMode::Help : RunMode::Version;
            } else {
                warnings.push_back(std::string(UnknownSwitchText) + "\n" + sCommandLine);
            }
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
    }
    options.Mode = text != RunMode::Window ? text : gui ? RunMode::Window : console;
    return options;
}

bool UciMode = false;

void InitEngine() {
    ProtocolVersion = 1;
    InitSearches();
    ReadSettingsFile();
    BookLoaded = LoadBookFrom(SettingText("TalvorData"));
    ResetGame();
}

CommandDispatcher& EngineCommands() {
    // The engine thread's last word goes to whichever loop reads the commands.
    static CommandDispatcher commands(
        UciMode ? UciProtocol() : XboardProtocol(),
        DispatcherHooks{[] {
                            if (InGuiMode && GameWindow.Post)
                                GameWindow.Post([] { EngineCommands().SearchEnded(); }, false);
                            else
                                WakeConsoleReader();
                        },
                        [](bool bThinking) {
                            if (InGuiMode && GameWindow.Thinking) GameWindow.Thinking(bThinking);
                        }});
    return commands;
}

void StartEngine(const StartOptions& options) {
    InitEngine();
    if (options.Strong) ChooseSearch(SearchKind::Strong);
}

int Main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    std::vector<std::string> warnings;
    const StartOptions options = ChooseRunMode(commandLine, warnings);
    if (options.Mode == RunMode::Help || options.Mode == RunMode::Version) {
        WriteConsole(options.Mode == RunMode::Help
                         ? UsageHead + ProgramFolder() + UsageSettings + SettingsHelp() + UsageTail
                         : std::string("talvor ") + TALVOR_VERSION + "\n" + LicenceText);
        return 0;
    }
    if (!MonotonicClockWorks()) {
        WriteError(std::string(NoClockText) + "\n");
        EndProcess(1);
    }
    InGuiMode = options.Mode == RunMode::Window;
    UciMode = options.Mode == RunMode::Uci;
    // UCI interfaces read every line as a command or a reply: no empty lines between them.
    LineFeedBeforeEachLine = !UciMode;

    if (!InGuiMode) {
        IgnoreInterruptSignals();
        for (const std::string& w : warnings) WriteError(w + "\n");
        StartEngine(options);
        MainLoop();
    }
    if (const std::string fault = GameWindow.Show ? "" : LoadGameWindow(); !fault.empty()) {
        for (const std::string& w : warnings) WriteError(w + "\n");
        WriteError(fault);
        EndProcess(1);
    }
    StartEngine(options);
    if (!GameWindow.Show(argc, argv)) {
        WriteError("talvor: the game window could not be opened.\n");
        EndProcess(1);
    }
    // After Show, so the window system is ready for message boxes.
    for (const std::string& w : warnings) {
        if (GameWindow.Warn)
            GameWindow.Warn(w);
        else
            WriteError(w + "\n");
    }
    // The window's own event loop reads its commands from here on; closing it ends the program.
    if (GameWindow.Run) GameWindow.Run();
    QuitProgram();
}

// Waits for input or for the search to end, never polling: a command is handled as soon as it arrives,
// also while the engine thinks.
void MainLoop() {
    CommandDispatcher& commands = EngineCommands();
    for (;;) {
        const int events = WaitForConsoleEvent(-1);
        if (events & ConsoleWake) commands.SearchEnded();
        if (events & ConsoleInput) {
            const std::string s = ReadInput();
            if (!s.empty()) commands.Input(s);
            // The interface closed the pipe or died: end as quit does, without waiting for a search.
            if (ConsoleInputClosed) QuitProgram();
        }
    }
}

void QuitProgram() {
    EndAfterOutput(0);
}
