// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the book tests: a scratch folder for book files, and games played by move text.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "search/BookBas.h"
#include "tests/BoardTestUtil.h"

using Strings = std::vector<std::string>;

class BookFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("talvor-book-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        InitBoardTables();
        BookLoaded = true;
        ResetGame();
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        LoadBookFrom("");  // leave no book behind for the next test
        BookLoaded = false;
    }
    // Writes sBytes to sName in the scratch folder (sub-folders made as needed); returns the path.
    std::string Write(const std::string& sName, const std::string& sBytes) {
        const std::filesystem::path path = dir_ / sName;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << sBytes;
        return path.string();
    }
    std::filesystem::path dir_;
};

// A weight file's bytes: little-endian 32-bit masks.
inline std::string Weights(const std::vector<int32_t>& masks) {
    std::string bytes;
    for (const int32_t w : masks)
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>(static_cast<uint32_t>(w) >> shift);
    return bytes;
}

// The texts of the book's current choices, sorted (a move offered twice shows twice).
inline Strings ChoiceTexts() {
    Strings texts;
    for (const MoveRec& m : BookMoveChoices()) texts.push_back(MoveToText(m));
    std::sort(texts.begin(), texts.end());
    return texts;
}
