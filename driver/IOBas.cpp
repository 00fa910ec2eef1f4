// The two faces of protocol input and output: the console pipe and the game window.
#include "driver/IOBas.h"

#include <string_view>
#include <utility>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "platform/Platform.h"

bool GuiInputPending = false;
std::string GuiInputLine;
std::function<void(const std::string&)> SendLineCapture;
bool ConsoleInputClosed = false;

namespace {
constexpr size_t ChunkSize = 2048;
// An unterminated line longer than this is thrown away instead of growing without end.
constexpr size_t MaxPendingLine = 64 * 1024;

std::string PendingPiece;     // text after the last line end of the reads so far
bool DiscardingLine = false;  // inside an overlong line: drop bytes up to its end

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}
}  // namespace

void ResetInputAssembly() {
    PendingPiece.clear();
    DiscardingLine = false;
    ConsoleInputClosed = false;
}

bool WaitForInput(int nTimeoutMs) {
    if (InGuiMode) return GuiInputPending;
    if (ConsoleInputClosed) return false;
    return ConsoleInputWaiting(nTimeoutMs);
}

bool InputAvailable() {
    return WaitForInput(0);
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

void SendLine(const std::string& sText) {
    if (SendLineCapture) {
        SendLineCapture(sText);
        return;
    }
    if (InGuiMode && GameWindow.ShowLine) {
        GameWindow.ShowLine(sText);
        return;
    }
    // Each line leaves at once, framed by line feeds, in one write.
    WriteConsole("\n" + sText + "\n");
}
