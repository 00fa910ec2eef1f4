// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-bookbuild OPENINGS.tsv BOOK.txt: builds the opening book and its weight file (BOOK.bk2).
#include <cstdio>
#include <fstream>

#include "search/BookBas.h"
#include "tools/bookbuild/BookBuild.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: talvor-bookbuild OPENINGS.tsv BOOK.txt\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "talvor-bookbuild: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<NamedOpening> openings;
    BuiltBook book;
    std::string error;
    if (!ReadOpenings(in, openings, error) || !BuildBook(openings, book, error) ||
        !WriteBook(book, argv[2], error)) {
        std::fprintf(stderr, "talvor-bookbuild: %s\n", error.c_str());
        return 1;
    }
    std::string offered, previous;
    for (size_t i = 0; i < book.Lines.size(); ++i) {
        const std::string first = book.Lines[i].substr(1, 4);
        if (first != previous && (book.Weights[i] & 1) != 0) offered += " " + first;
        previous = first;
    }
    std::printf("openings read       %d\n", book.Openings);
    std::printf("cut at a promotion  %d\n", book.CutAtPromotion);
    std::printf("cut at 30 plies     %d\n", book.CutAtPlyLimit);
    std::printf("duplicate lines     %d\n", book.Duplicates);
    std::printf("contained in longer %d\n", book.PrefixesDropped);
    std::printf("lines written       %zu\n", book.Lines.size());
    std::printf("first moves offered%s\n", offered.c_str());
    std::printf("moves avoided       %d\n", book.AvoidedMoves);
    std::printf("wrote %s and %s\n", argv[2], WeightFileName(argv[2]).c_str());
    return 0;
}
