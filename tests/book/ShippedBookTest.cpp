// SPDX-License-Identifier: GPL-3.0-or-later
// The book that ships with the program: found beside it, well formed, and every move it plays is legal.
#include <functional>

#include "tests/book/BookTestUtil.h"

TEST_F(BookFiles, ShippedBookLoadsAndPlaysLegalMoves) {
    // The settings name the book relative to the program folder, where the build copies it.
    ASSERT_TRUE(LoadBookFrom("TalvorBook.txt"));
    ASSERT_GT(BookLineCount, 1000);
    // Sorted and distinct (runs of equal moves rely on it), with one weight a line.
    EXPECT_EQ(std::adjacent_find(BookLines.begin(), BookLines.end(), std::greater_equal<>()),
              BookLines.end());
    const std::string book = std::string(TALVOR_SOURCE_DIR) + "/data/TalvorBook.txt";
    EXPECT_EQ(std::filesystem::file_size(WeightFileName(book)), 4u * static_cast<uintmax_t>(BookLineCount));
    int longest = 0;
    for (int game = 0; game < 40; ++game) {
        ResetGame();
        int plies = 0;
        for (MoveRec m; BookProbe(m), m.From != 0; ++plies) {
            ASSERT_LT(plies, MaxBookMoves);
            Play(MoveToText(m));  // fails unless the move is legal here
            ASSERT_FALSE(HasFailure()) << BookLine;
        }
        EXPECT_GE(plies, 2) << BookLine;
        longest = std::max(longest, plies);
    }
    EXPECT_GE(longest, 6);
}
