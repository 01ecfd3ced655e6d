// FramePair holds the packet being recorded and the reference picture merged
// from the packets of the current burst, and turns the reference into the
// code text that selects a command.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "signal/PeriodCode.h"
#include "signal/RawPacket.h"
#include "signal/SignalFrame.h"
#include "signal/SignalViewSink.h"
#include "signal/TickSource.h"

namespace vireo {

class FramePair {
 public:
  FramePair() = default;
  virtual ~FramePair() = default;
  FramePair(const FramePair&) = delete;
  FramePair& operator=(const FramePair&) = delete;

  void SetClock(TickSource* clock) { clock_ = clock; }
  // Set and cleared by the user-interface thread, read by the worker.
  void SetSignalView(SignalViewSink* view) { signalView_.store(view); }
  SignalViewSink* SignalView() const { return signalView_.load(); }
  // Likewise for whoever records the packets' durations.
  void SetRawSink(RawPacketSink* sink) { rawSink_.store(sink); }

  void ResetAll(std::int32_t acceptLimit, std::int32_t windowMs, std::int32_t minSlots);
  // levelOn is the packet's first level, from which its edges are timed;
  // levelBegan is when that level began, if earlier than the packet.
  void ResetPacket(std::int32_t windowMs, std::int32_t minSlots, bool levelOn = false,
                   std::int64_t levelBegan = -1);
  void MarkSample(bool levelOn) { packet.Mark(levelOn, clock_->Now(), clock_->TicksPerSecond()); }
  // The packet's level changed at `now` (a clock reading).
  void MarkEdge(std::int64_t now) { packetEdges.Mark(now); }

  // Drops the packet, copies it over a sparser reference, or aligns and merges it.
  void AcceptPacket();
  void AlignAndMerge();
  // Code text of the reference (debug form while debugMode is set); hands the
  // slot texts to the attached view first.
  std::string RenderCode(std::int32_t maxRatio, std::int32_t minRatio);
  // The reference's code in the form in force: by ratios, or by pair
  // periods when periodForm is enabled.
  std::string ReferenceCode(std::int32_t maxRatio, std::int32_t minRatio, bool withNumbers) const;

  // The debug switch: written by the settings window, read by the worker.
  std::atomic<bool> debugMode{false};
  std::int32_t acceptLimit = 0;
  // Set by the worker's start-up; off unless the configuration asks for it.
  PeriodForm periodForm;
  SignalFrame packet;
  SignalFrame reference;
  // The edges of the packet, and of the packet the reference was copied
  // from: what the code by pair periods is measured on.
  PacketEdges packetEdges;
  PacketEdges referenceEdges;

 private:
  std::int64_t GlitchUs() const;
  std::int64_t RateOrNone() const;

  TickSource* clock_ = nullptr;
  std::atomic<SignalViewSink*> signalView_{nullptr};
  std::atomic<RawPacketSink*> rawSink_{nullptr};
  RawPacket raw_;  // filled at a packet's end only while someone records
};

}  // namespace vireo
