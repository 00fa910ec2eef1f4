// The opening book: lines of coordinate moves with per-line ply masks.
#pragma once
#include <cstdint>
#include <string>

#include "board/BoardBas.h"

bool LoadBook();                  // reads the book named by the TalvorData setting; true if any line was read
void BookProbe(MoveRec& result);  // a legal book move for the current game line, or all zero
bool BookLineAllowed(const std::string& sLine, int n);
std::string WeightFileName(const std::string& sPath);
int32_t DefaultBookWeight();
int RandomInRange(int lo, int hi);
