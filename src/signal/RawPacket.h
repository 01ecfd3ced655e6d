// A packet's level durations in microseconds, measured on the precision
// clock at each change of level rather than read off the slots: what a
// recording of a button needs. Handed from the worker at each packet's end.
#pragma once

#include <array>
#include <cstdint>

#include "signal/PeriodCode.h"

namespace vireo {

struct RawPacket {
  static constexpr int kMaxRuns = PacketEdges::kMaxEdges + 1;
  std::int64_t beginUs = 0;  // when its first level began, on the precision clock
  bool firstOn = false;      // its first level is the quiet one (CTS on)
  bool valid = false;        // the frame took it as a packet, not as noise
  bool cut = false;          // it changed level more often than is kept
  int count = 0;
  // Each level's length, the first one whole, the last one up to the
  // packet's end (the quiet that ended it, or as much of it as was waited).
  std::array<std::int32_t, kMaxRuns> us{};

  // The runs of a packet's edges; nothing without a clock rate.
  void From(const PacketEdges& edges, std::int64_t ticksPerSecond);
};

// Receives each packet's durations on the worker thread; an implementation
// must not make it wait for the user-interface thread.
class RawPacketSink {
 public:
  virtual ~RawPacketSink() = default;
  virtual void AddRawPacket(const RawPacket& packet) = 0;
};

}  // namespace vireo
