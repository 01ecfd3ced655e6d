#include "signal/FramePair.h"

#include "signal/Alignment.h"
#include "signal/CodeText.h"

namespace vireo {

void FramePair::ResetAll(std::int32_t limit, std::int32_t windowMs, std::int32_t minSlots) {
  acceptLimit = limit;
  reference.Clear();
  ResetPacket(windowMs, minSlots);
}

void FramePair::ResetPacket(std::int32_t windowMs, std::int32_t minSlots) {
  packet.Clear();
  // Before the worker sets the clock there is no time source; a clock
  // without one reads 0 as well.
  packet.startTime = clock_ != nullptr ? clock_->Now() : 0;
  packet.windowMs = windowMs;
  packet.minSlots = minSlots;
}

void FramePair::AcceptPacket() {
  if (!packet.IsValid()) return;
  packet.Smooth();
  // A fuller packet replaces the reference as it is, however badly it fits.
  if (packet.CountFilled() > reference.CountFilled()) {
    reference.CopySlotsFrom(packet);
    packet.accepted = 1;
    return;
  }
  AlignAndMerge();
  reference.Smooth();
}

void FramePair::AlignAndMerge() {
  const AlignmentResult fit = FindBestShift(reference, packet);
  if (fit.bestScore > acceptLimit) return;
  packet.accepted = 1;
  packet.shift = fit.bestTrial - kShiftOffset;
  packet.ShiftBy(packet.shift);
  // The merge only fills gaps: a filled reference slot is never overruled.
  for (int k = 0; k < kSlotCount; ++k) {
    if (reference.slots[k] == 0) reference.slots[k] = packet.slots[k];
  }
}

std::string FramePair::RenderCode(std::int32_t maxRatio, std::int32_t minRatio) {
  // One read, so that both rows go to the same view even if the settings
  // window detaches it meanwhile.
  if (SignalViewSink* view = SignalView()) {
    view->AddTraceRow(SlotText(packet));
    view->SetReferenceRow(SlotText(reference));
  }
  return CodeOf(reference, maxRatio, minRatio, debugMode.load());
}

std::string FramePair::CodeOf(const SignalFrame& frame, std::int32_t maxRatio,
                              std::int32_t minRatio, bool withNumbers) const {
  if (periodForm.Enabled()) return PeriodCodeText(frame, packet.windowMs, periodForm, withNumbers);
  return CodeText(frame, maxRatio, minRatio, withNumbers);
}

}  // namespace vireo
