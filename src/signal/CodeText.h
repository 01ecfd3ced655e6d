// The text forms of a frame: the code text (one symbol per pair of level
// runs, by how unequal the runs are) and the slot text drawn by the view.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "signal/SignalFrame.h"

namespace vireo {

// At most one run per slot after slot 0.
using FrameRunLengths = std::array<std::int32_t, kSlotCount>;

// The level runs as a code reads them: slot 0 only sets the starting level
// (a blank reads as "1"), a blank slot lengthens the current run. Returns the
// number of runs, 1 when the level never changes.
int FrameRuns(const SignalFrame& frame, FrameRunLengths& runs, char& firstLevel);

// The symbol of one pair by its ratio in hundredths: 1 above maxRatio, 0
// below minRatio, ? between.
char CodeSymbol(std::int32_t ratio, std::int32_t maxRatio, std::int32_t minRatio);
std::string CodeText(const SignalFrame& frame, std::int32_t maxRatio, std::int32_t minRatio,
                     bool withRatios);
// Smooths the frame in place, then renders markers and one character per slot.
std::string SlotText(SignalFrame& frame);
char SlotChar(std::int32_t value);

}  // namespace vireo
