// Alignment of a packet against the reference: the score of a fit and the
// search over 650 trial shifts.
#pragma once

#include <cstdint>

#include "signal/SignalFrame.h"

namespace vireo {

inline constexpr int kShiftCount = 650;
inline constexpr int kShiftOffset = 325;
inline constexpr int kRunTolerance = 2;
inline constexpr int kNoMatchScore = 1300;

// Mismatches of slots filled in both frames; x100 when a closed run of
// mismatches is longer than runTolerance. 0 is a perfect fit.
std::int32_t Score(const SignalFrame& first, const SignalFrame& second, std::int32_t runTolerance);

struct AlignmentResult {
  std::int32_t bestScore = kNoMatchScore;
  std::int32_t bestTrial = 0;  // shift = bestTrial - kShiftOffset
};

// The best trial shift of packet against reference (the most negative shift
// among equal scores).
AlignmentResult FindBestShift(const SignalFrame& reference, const SignalFrame& packet);

}  // namespace vireo
