#include "ReferenceAlignment.h"

namespace vireo::testing {

ReferenceSearch ReferenceFindBestShift(const SignalFrame& reference, const SignalFrame& packet) {
  ReferenceSearch search;
  AlignmentResult& best = search.result;
  SignalFrame scratch;
  for (int trial = 0; trial < kShiftCount; ++trial) {
    scratch.CopySlotsFrom(packet);
    scratch.ShiftBy(trial - kShiftOffset);
    const std::int32_t s = Score(reference, scratch, kRunTolerance);
    if (s < best.bestScore) {
      best.bestScore = s;
      best.bestTrial = trial;
      search.tiedTrials = 0;
    } else if (s == best.bestScore) {
      ++search.tiedTrials;
    }
  }
  return search;
}

ReferenceSearch ReferenceAlignAndMerge(FramePair& pair) {
  const ReferenceSearch search = ReferenceFindBestShift(pair.reference, pair.packet);
  const AlignmentResult& best = search.result;
  if (best.bestScore > pair.acceptLimit) return search;
  pair.packet.accepted = 1;
  pair.packet.shift = best.bestTrial - kShiftOffset;
  pair.packet.ShiftBy(pair.packet.shift);
  for (int k = 0; k < kSlotCount; ++k) {
    if (pair.reference.slots[k] == 0) pair.reference.slots[k] = pair.packet.slots[k];
  }
  return search;
}

std::optional<ReferenceSearch> ReferenceAcceptPacket(FramePair& pair) {
  if (!pair.packet.IsValid()) return std::nullopt;
  pair.packet.Smooth();
  if (pair.packet.CountFilled() > pair.reference.CountFilled()) {
    pair.reference.CopySlotsFrom(pair.packet);
    pair.packet.accepted = 1;
    return std::nullopt;
  }
  const ReferenceSearch search = ReferenceAlignAndMerge(pair);
  pair.reference.Smooth();
  return search;
}

}  // namespace vireo::testing
