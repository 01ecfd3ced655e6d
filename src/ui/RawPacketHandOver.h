// Hands each packet's durations from the worker to the user-interface thread,
// as RowHandOver hands the signal view's rows: the worker copies a packet
// into storage reserved at construction under a small lock and asks for a
// look without waiting. It outlives whoever records, like RowHandOver.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "signal/RawPacket.h"
#include "ui/RowHandOver.h"

namespace vireo {

class RawPacketHandOver final : public RawPacketSink {
 public:
  static constexpr std::size_t kHeld = 16;  // packets waiting for the user-interface thread

  RawPacketHandOver() : held_(kHeld) {}

  // Starts a fresh recording; packets of an earlier one are dropped.
  void Attach(RepaintTarget* target);
  // After this returns the worker never reaches the target again.
  void Detach();
  // Worker thread. While nobody records, a packet is dropped; while the
  // storage is full, it is counted as lost, never written over one unread.
  void AddRawPacket(const RawPacket& packet) override;
  // User-interface thread: appends the waiting packets to `into` and
  // returns how many were lost since the last call.
  int Take(std::vector<RawPacket>& into);

 private:
  std::mutex mutex_;  // guards everything below; nothing else is locked under it
  std::vector<RawPacket> held_;
  std::size_t waiting_ = 0;
  int lost_ = 0;
  RepaintTarget* target_ = nullptr;
};

}  // namespace vireo
