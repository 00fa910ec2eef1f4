// Stand-in until the opening book lands: no book.
#include "search/BookBas.h"

bool LoadBook() {
    return false;
}
void BookProbe(MoveRec& result) {
    result = MoveRec{};
}
