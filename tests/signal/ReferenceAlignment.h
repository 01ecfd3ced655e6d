// The straightforward alignment, trial by trial: copy the packet, move it,
// score it against the reference. Slow, plainly right, and the yardstick for
// the product's search in the differential test and the benchmark.
#pragma once

#include <cstdint>
#include <optional>

#include "signal/Alignment.h"
#include "signal/FramePair.h"
#include "signal/SignalFrame.h"

namespace vireo::testing {

struct ReferenceSearch {
  AlignmentResult result;
  int tiedTrials = 0;  // trials besides the chosen one that reach the best score
};

ReferenceSearch ReferenceFindBestShift(const SignalFrame& reference, const SignalFrame& packet);

// AlignAndMerge and AcceptPacket with the search above, on the pair's public
// fields; they give back the search they ran, if any.
ReferenceSearch ReferenceAlignAndMerge(FramePair& pair);
std::optional<ReferenceSearch> ReferenceAcceptPacket(FramePair& pair);

}  // namespace vireo::testing
