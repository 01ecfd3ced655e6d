// The text forms of a frame: the code text (one symbol per pair of level
// runs, by how unequal the runs are) and the slot text drawn by the view.
#pragma once

#include <cstdint>
#include <string>

#include "signal/SignalFrame.h"

namespace vireo {

// The symbol of one pair by its ratio in hundredths: 1 above maxRatio, 0
// below minRatio, ? between.
char CodeSymbol(std::int32_t ratio, std::int32_t maxRatio, std::int32_t minRatio);
std::string CodeText(const SignalFrame& frame, std::int32_t maxRatio, std::int32_t minRatio,
                     bool withRatios);
// Smooths the frame in place, then renders markers and one character per slot.
std::string SlotText(SignalFrame& frame);
char SlotChar(std::int32_t value);

}  // namespace vireo
