// A SignalFrame is one packet window cut into 1300 time slots; each slot holds
// the line level sampled in it (+1 line off, -1 line on, 0 no sample).
#pragma once

#include <array>
#include <cstdint>

namespace vireo {

inline constexpr int kSlotCount = 1300;

struct SignalFrame {
  std::array<std::int32_t, kSlotCount> slots{};
  std::int32_t accepted = 0;   // taken into the reference, by copy or merge
  std::int64_t startTime = 0;  // clock reading at slot 0
  std::int32_t overflow = 0;   // a sample fell outside the window
  std::int32_t shift = 0;      // slots by which alignment moved this packet
  std::int32_t windowMs = 0;   // length of the whole window
  std::int32_t minSlots = 0;   // valid only with more filled slots than this

  // Lays one sample at the slot of `now`, or sets overflow outside the window.
  void Mark(bool levelOn, std::int64_t now, std::int64_t ticksPerSecond);
  int CountFilled() const;
  bool IsValid() const { return CountFilled() > minSlots; }
  void CopySlotsFrom(const SignalFrame& other) { slots = other.slots; }
  // One-slot glitch filter over slots 1..1297, reading from a copy.
  void Smooth();
  // Moves the content s slots later (earlier when negative), filling with 0.
  void ShiftBy(int s);
  void Clear();  // slots, accepted, overflow and shift to 0
};

}  // namespace vireo
