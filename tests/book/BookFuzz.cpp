// libFuzzer target: any bytes as a book and its weight file load and probe without harm.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "board/BoardBas.h"
#include "search/BookBas.h"

namespace {
std::string Folder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "talvor-bookfuzz-XXXXXX").string();
        return mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
    }();
    return folder;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitBoardTables();
        return true;
    }();
    (void)ready;
    // The first byte says where the text ends and the weights begin.
    const size_t split = size == 0 ? 0 : std::min<size_t>(size - 1, data[0] * size / 256);
    const std::string text(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? split : 0);
    const std::string weights(reinterpret_cast<const char*>(data) + (size ? 1 : 0) + split,
                              size ? size - 1 - split : 0);
    const std::string path = Folder() + "/fuzz.txt";
    std::ofstream(path, std::ios::binary) << text;
    std::ofstream(Folder() + "/fuzz.bk2", std::ios::binary) << weights;
    BookLoaded = LoadBookFrom(path);
    ResetGame();
    for (int ply = 0; ply < 6; ++ply) {
        MoveRec m;
        BookProbe(m);
        if (m.From == 0) break;
        MakeGameMove(m);
        RecordMove(m);
    }
    return 0;
}
