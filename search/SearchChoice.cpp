// SPDX-License-Identifier: GPL-3.0-or-later
// The state the searches share with the driver: which search, what it is asked, the strength, the
// progress of the running search.
#include "search/SearchChoice.h"

SearchKind ChosenSearch = SearchKind::Design;
SearchRequest Asked;
int StrengthElo = 0;
