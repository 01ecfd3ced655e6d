#include "signal/FramePair.h"

#include <algorithm>

#include "signal/Alignment.h"
#include "signal/CodeText.h"

namespace vireo {

namespace {
constexpr std::int64_t kGlitchUs = 40;
}  // namespace

void FramePair::ResetAll(std::int32_t limit, std::int32_t windowMs, std::int32_t minSlots) {
  acceptLimit = limit;
  reference.Clear();
  ResetPacket(windowMs, minSlots);
  referenceEdges = packetEdges;
}

void FramePair::ResetPacket(std::int32_t windowMs, std::int32_t minSlots, bool levelOn,
                            std::int64_t levelBegan) {
  packet.Clear();
  // Before the worker sets the clock there is no time source; a clock
  // without one reads 0 as well.
  packet.startTime = clock_ != nullptr ? clock_->Now() : 0;
  packet.windowMs = windowMs;
  packet.minSlots = minSlots;
  packetEdges.Begin(levelOn, packet.startTime, levelBegan < 0 ? packet.startTime : levelBegan);
}

void FramePair::AcceptPacket() {
  packetEdges.end = clock_ != nullptr ? clock_->Now() : packetEdges.start;
  if (RawPacketSink* sink = rawSink_.load(); sink != nullptr && clock_ != nullptr) {
    raw_.From(packetEdges, clock_->TicksPerSecond());
    raw_.valid = packet.IsValid();
    sink->AddRawPacket(raw_);
  }
  if (!packet.IsValid()) return;
  // A packet as full of edges as any before it gives the code by periods a
  // fresh reading, so that every frame of a press is read (frames that
  // differ, a second frame that tells buttons apart); a shorter one, such
  // as the repeat mark of a held button, leaves the full reading in place.
  if (packetEdges.count >= referenceEdges.count) referenceEdges = packetEdges;
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
    if (periodForm.Enabled()) {
      view->SetCodeMarks(
          PeriodCodeMarks(referenceEdges, RateOrNone(), GlitchUs(), periodForm, packet.windowMs));
    }
  }
  return ReferenceCode(maxRatio, minRatio, debugMode.load());
}

// A level shorter than a slot is a glitch, as the frame's filter has it,
// but no handset sends one of 40 us: a coarse frame must not swallow the
// short pauses that a receiver's stretch leaves.
std::int64_t FramePair::GlitchUs() const {
  return std::min<std::int64_t>(kGlitchUs, std::int64_t{packet.windowMs} * 1000 / kSlotCount);
}

std::int64_t FramePair::RateOrNone() const {
  return clock_ != nullptr ? clock_->TicksPerSecond() : 0;
}

std::string FramePair::ReferenceCode(std::int32_t maxRatio, std::int32_t minRatio,
                                     bool withNumbers) const {
  if (!periodForm.Enabled()) return CodeText(reference, maxRatio, minRatio, withNumbers);
  return PeriodCodeText(referenceEdges, RateOrNone(), GlitchUs(), periodForm, withNumbers);
}

}  // namespace vireo
