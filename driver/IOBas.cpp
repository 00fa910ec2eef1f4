// SPDX-License-Identifier: GPL-3.0-or-later
// The two faces of protocol input and output: the console pipe and the game window.
#include "driver/IOBas.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "driver/GuiLink.h"
#include "platform/Platform.h"

bool InGuiMode = false;
bool GuiInputPending = false;
std::string GuiInputLine;
std::function<void(const std::string&)> SendLineCapture;
bool ConsoleInputClosed = false;
bool LineFeedBeforeEachLine = true;

namespace {
constexpr size_t ChunkSize = 2048;
// An unterminated line longer than this is thrown away instead of growing without end.
constexpr size_t MaxPendingLine = 64 * 1024;

std::string PendingPiece;     // text after the last line end of the reads so far
bool DiscardingLine = false;  // inside an overlong line: drop bytes up to its end

// Held while a line goes out, so lines from the command and the engine threads never mix.
std::mutex OutputMutex;
uint64_t CurrentOutputGame = 1;
std::atomic<int> WindowLinesInFlight{0};

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}
}  // namespace

void ResetInputAssembly() {
    PendingPiece.clear();
    DiscardingLine = false;
    ConsoleInputClosed = false;
}

bool InputAvailable() {
    if (InGuiMode) return GuiInputPending;
    if (ConsoleInputClosed) return false;
    return ConsoleInputWaiting(0);
}

// Console: one read of at most 2048 bytes. Only whole lines are returned; a piece without its line
// end waits for the next read, so no line is lost however the interface's writes are cut.
std::string ReadInput() {
    if (InGuiMode) {
        std::string s = std::move(GuiInputLine);
        GuiInputLine.clear();
        GuiInputPending = false;
        return s;
    }
    if (ConsoleInputClosed) return "";
    char buffer[ChunkSize];
    const long n = ReadConsoleChunk(buffer, sizeof buffer);
    if (n < 0) return "";
    if (n == 0) {
        // End of input: a last line without its line feed still counts.
        ConsoleInputClosed = true;
        std::string last = DiscardingLine ? "" : PendingPiece;
        PendingPiece.clear();
        return last.empty() ? last : last + "\n";
    }
    std::string_view chunk(buffer, static_cast<size_t>(n));
    if (DiscardingLine) {
        size_t end = 0;
        while (end < chunk.size() && !IsLineEnd(chunk[end])) ++end;
        if (end == chunk.size()) return "";
        chunk.remove_prefix(end);
        DiscardingLine = false;
    }
    PendingPiece.append(chunk);
    size_t last = PendingPiece.size();
    while (last > 0 && !IsLineEnd(PendingPiece[last - 1])) --last;
    std::string lines = PendingPiece.substr(0, last);
    PendingPiece.erase(0, last);
    if (PendingPiece.size() > MaxPendingLine) {
        PendingPiece.clear();
        DiscardingLine = true;
    }
    return lines;
}

uint64_t OutputGame() {
    return CurrentOutputGame;
}

void StartOutputGame() {
    ++CurrentOutputGame;
}

int LinesInFlight() {
    return WindowLinesInFlight.load();
}

void SendLine(const std::string& sText, const LineTag& tag) {
    std::lock_guard<std::mutex> hold(OutputMutex);
    if (SendLineCapture) {
        SendLineCapture(sText);
        return;
    }
    if (InGuiMode && GameWindow.ShowLine && GameWindow.Post) {
        // Shown on the window's thread, in the order sent; a turn's line of a game left since is dropped.
        ++WindowLinesInFlight;
        GameWindow.Post(
            [sText, tag] {
                --WindowLinesInFlight;
                if (tag.Game == 0 || tag.Game == CurrentOutputGame)
                    GameWindow.ShowLine(sText, tag.SearchSeconds);
            },
            false);
        return;
    }
    // Each line leaves at once, framed by line feeds, in one write.
    WriteConsole((LineFeedBeforeEachLine ? "\n" : "") + sText + "\n");
}

void EndAfterOutput(int nStatus) {
    // A reader that stopped reading can hold a write up for ever: the end waits for a line being written
    // a little at most.
    for (int i = 0; i < 50 && !OutputMutex.try_lock(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EndProcess(nStatus);
}
