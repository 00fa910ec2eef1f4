// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-manpage IN OUT: the manual page with its list of settings written from the engine's options table,
// in place of the line that marks where it goes. The build runs it, so the page and the table never differ.
#include <cstdio>
#include <fstream>
#include <string>

#include "driver/EngineOptions.h"

namespace {
constexpr char Marker[] = ".\\\" The settings list: written here by talvor-manpage from the options table.";
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: talvor-manpage IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::string page, line;
    bool placed = false;
    while (std::getline(in, line)) {
        if (line == Marker) {
            page += SettingsManPage();
            placed = true;
        } else {
            page += line + "\n";
        }
    }
    if (!in.eof() || !placed) {
        std::fprintf(stderr, "talvor-manpage: %s has no line %s\n", argv[1], Marker);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << page;
    return out ? 0 : 1;
}
