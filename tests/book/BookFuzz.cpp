// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a book and its weight file load and probe without harm.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "board/BoardBas.h"
#include "search/BookBas.h"

namespace {
// A scratch folder of its own, removed when the fuzzer exits.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "talvor-bookfuzz-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder scratch;
    static const bool ready = (InitBoardTables(), true);
    const std::string& folder = scratch.path;
    if (folder.empty() || !ready) return 0;
    if (size == 0) return 0;
    // The first byte says where the text ends and the weights begin.
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = data[0] * bytes.size() / 256;
    std::ofstream(folder + "/fuzz.txt", std::ios::binary) << bytes.substr(0, split);
    std::ofstream(folder + "/fuzz.bk2", std::ios::binary) << bytes.substr(split);
    BookLoaded = LoadBookFrom(folder + "/fuzz.txt");
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
