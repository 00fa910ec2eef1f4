// Helpers for the book tests: a scratch folder, book files, and games played by move text.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "board/BoardBas.h"
#include "search/BookBas.h"

class BookFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "talvor-book-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        InitBoardTables();
        InGuiMode = false;
        BookLoaded = true;
        ResetGame();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        LoadBookFrom("");  // leave no book behind for the next test
        BookLoaded = false;
    }

    // Writes lines joined by sEnd; returns the file's path.
    std::string WriteText(const std::string& sName, const std::vector<std::string>& lines,
                          const std::string& sEnd = "\n") {
        std::string body;
        for (const std::string& l : lines) body += l + sEnd;
        return WriteRaw(sName, body);
    }
    std::string WriteRaw(const std::string& sName, const std::string& sBytes) {
        const std::string path = (dir_ / sName).string();
        std::ofstream(path, std::ios::binary) << sBytes;
        return path;
    }
    // Little-endian 32-bit weights, plus optional stray bytes at the end.
    std::string WriteWeights(const std::string& sName, const std::vector<int32_t>& weights,
                             const std::string& sTail = "") {
        std::string bytes;
        for (int32_t w : weights)
            for (int i = 0; i < 4; ++i)
                bytes += static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xff);
        return WriteRaw(sName, bytes + sTail);
    }

    std::filesystem::path dir_;
};

// Plays blank-separated moves as game moves from the current position.
inline void Play(const std::string& sMoves) {
    std::istringstream in(sMoves);
    for (std::string text; in >> text;) {
        MoveRec m;
        ASSERT_TRUE(FindMoveFromText(text, m)) << text;
        MakeGameMove(m);
        RecordMove(m);
    }
}

// The texts of the book's current choices, sorted.
inline std::vector<std::string> ChoiceTexts() {
    std::vector<std::string> texts;
    for (const MoveRec& m : BookMoveChoices()) texts.push_back(MoveToText(m));
    std::sort(texts.begin(), texts.end());
    return texts;
}

// True when m is a legal move of the current position.
inline bool IsLegalHere(const MoveRec& m) {
    MoveRec found;
    return m.From != 0 && FindMoveFromText(MoveToText(m), found) && found.From == m.From && found.To == m.To;
}
