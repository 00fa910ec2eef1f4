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
#include "search/SearchBas.h"

namespace {
// The program's message texts (resource strings 101 and 102).
constexpr char NoClockText[] = "Talvor needs a monotonic clock to time its moves, and this system has none.";
constexpr char UnknownSwitchText[] =
    "Talvor: unknown command-line switch ignored (use -xboard or -uci to run under a chess interface).";
constexpr char NoWindowText[] =
    "talvor: this build has no game window. Run it from a chess interface, e.g. "
    "xboard -fcp \"talvor -xboard\", or talk to it directly with: talvor -xboard (or talvor -uci)\n";

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

RunMode ChooseRunMode(const std::string& sCommandLine, std::vector<std::string>& warnings) {
    RunMode console = RunMode::Window;  // the last console switch, if any
    bool gui = false;
    if (!sCommandLine.empty()) {
        const std::string line = Lower(sCommandLine);
        size_t start = 0;
        for (;;) {
            const size_t blank = line.find(' ', start);
            const std::string token = line.substr(start, blank == std::string::npos ? blank : blank - start);
            const std::string word =
                token.empty() || (token[0] != '-' && token[0] != '/') ? token : token.substr(1);
            if (word == "xboard" || word == "uci") {
                console = word == "uci" ? RunMode::Uci : RunMode::Xboard;
                gui = false;
            } else if (word == "inguimode") {
                gui = true;
            } else {
                warnings.push_back(std::string(UnknownSwitchText) + "\n" + sCommandLine);
            }
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
    }
    return gui ? RunMode::Window : console;
}

SearchSettings IniSettings;
bool UciMode = false;

void InitEngine() {
    ProtocolVersion = 1;
    SearchSettings& settings = IniSettings;
    settings.PawnValue = SettingNumber(ReadSetting("ValorePedoni", "100"));
    settings.KnightValue = SettingNumber(ReadSetting("ValoreCavalli", "313"));
    settings.BishopValue = SettingNumber(ReadSetting("ValoreAlfieri", "330"));
    settings.RookValue = SettingNumber(ReadSetting("ValoreTorri", "520"));
    settings.QueenValue = SettingNumber(ReadSetting("ValoreRegine", "900"));
    settings.DrawScore = SettingNumber(ReadSetting("RicercaPatta", "0"));
    InitSearch(settings);
    ReadStartSettings();
    BookLoaded = LoadBookFrom(ReadSetting("TalvorData", ""));
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

int Main(int argc, char** argv) {
    if (!MonotonicClockWorks()) {
        WriteError(std::string(NoClockText) + "\n");
        EndProcess(1);
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    std::vector<std::string> warnings;
    const RunMode mode = ChooseRunMode(commandLine, warnings);
    InGuiMode = mode == RunMode::Window;
    UciMode = mode == RunMode::Uci;
    // UCI interfaces read every line as a command or a reply: no empty lines between them.
    LineFeedBeforeEachLine = !UciMode;

    if (!InGuiMode) {
        IgnoreInterruptSignals();
        for (const std::string& w : warnings) WriteError(w + "\n");
        InitEngine();
        MainLoop();
    }
    if (const std::string fault = GameWindow.Show ? "" : LoadGameWindow(); !fault.empty()) {
        for (const std::string& w : warnings) WriteError(w + "\n");
        WriteError(fault);
        EndProcess(1);
    }
    InitEngine();
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
