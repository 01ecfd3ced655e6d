// The code by pair periods, for handsets that the ratio code cannot read:
// each pair of runs gives a letter for the class of its period (the time
// from one burst's start to the next, which a receiver's stretch leaves as
// it is), in upper case when its burst outlasts the frame's shortest burst
// by more than a bound (a difference the stretch leaves as it is, too).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "signal/SignalFrame.h"

namespace vireo {

struct PeriodForm {
  // Class bounds a to z: 25 bounds make 26 letters.
  static constexpr int kMaxBounds = 25;
  std::array<std::int32_t, kMaxBounds> boundsUs{};  // increasing
  int boundCount = 0;
  std::int32_t longBurstUs = 0;  // 0: every burst reads as short
  bool Enabled() const { return boundCount > 0; }
};

// A pair's letter: class c is the number of bounds its period exceeds.
char PeriodSymbol(std::int64_t periodUs, std::int64_t burstExcessUs, const PeriodForm& form);

// One letter per pair of runs of the frame, whose 1300 slots span windowMs;
// withNumbers adds each pair's period and burst excess in microseconds, as
// " 1125/0|" after its letter.
std::string PeriodCodeText(const SignalFrame& frame, std::int32_t windowMs, const PeriodForm& form,
                           bool withNumbers);

}  // namespace vireo
