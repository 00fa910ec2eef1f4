// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer: any bytes through the PGN reader; every game it reads without error is written out and must
// read back the same, without error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "review/Pgn.h"
#include "review/PgnWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const PgnGame& game : ReadPgn(text)) {
        if (game.Error) continue;
        const std::string written = PgnText(game);
        const std::vector<PgnGame> again = ReadPgn(written);
        if (again.size() != 1 || again[0].Error || again[0].Moves.Moves.size() != game.Moves.Moves.size())
            abort();
        for (size_t i = 0; i < game.Moves.Moves.size(); ++i)
            if (again[0].Moves.Moves[i].Coordinates != game.Moves.Moves[i].Coordinates) abort();
    }
    return 0;
}
