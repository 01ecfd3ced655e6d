// The code by pair periods, for handsets that the ratio code cannot read:
// each pair of runs gives a letter for the class of its period (the time
// from one burst's start to the next, which a receiver's stretch leaves as
// it is), in upper case when its burst outlasts the frame's shortest burst
// by more than a bound (a difference the stretch leaves as it is, too).
// The runs are timed from the clock readings at the packet's changes of
// level, so that they are as exact as the sampling, not as a slot.
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

// When a packet's level changed, in clock ticks, stored as the samples come
// in: a store per change, into a fixed array.
struct PacketEdges {
  static constexpr int kMaxEdges = kSlotCount;
  std::int64_t start = 0;       // when the packet began, at its first level
  std::int64_t levelBegin = 0;  // when that first level itself began, earlier
  std::int64_t end = 0;         // when it ended
  bool firstOn = false;         // its first level is the quiet one (CTS on)
  bool cut = false;             // it changed level more often than is kept
  int count = 0;
  std::array<std::int64_t, kMaxEdges> times{};

  void Begin(bool levelOn, std::int64_t now, std::int64_t firstLevelBegan) {
    start = end = now;
    levelBegin = firstLevelBegan;
    firstOn = levelOn;
    cut = false;
    count = 0;
  }
  // A change of level at `now`; changes beyond the array are not kept.
  void Mark(std::int64_t now) {
    if (count < kMaxEdges) {
      times[count++] = now;
    } else {
      cut = true;
    }
  }
};

// Microseconds between two clock readings; a span too long for the product
// saturates instead of wrapping.
std::int64_t UsBetween(std::int64_t from, std::int64_t to, std::int64_t ticksPerSecond);

// A pair's letter: class c is the number of bounds its period exceeds.
char PeriodSymbol(std::int64_t periodUs, std::int64_t burstExcessUs, const PeriodForm& form);

// One letter per pair of runs, a run shorter than glitchUs between two
// longer ones counting as part of them; withNumbers adds each pair's period
// and burst excess in microseconds, as " 1125/0|" after its letter.
std::string PeriodCodeText(const PacketEdges& edges, std::int64_t ticksPerSecond,
                           std::int64_t glitchUs, const PeriodForm& form, bool withNumbers);

// The same letters laid out as a slot text of a frame of windowMs that began
// with the packet: each letter at the slot where its pair begins, blanks
// elsewhere; a letter whose slot was taken, or lies past the frame, is left out.
std::string PeriodCodeMarks(const PacketEdges& edges, std::int64_t ticksPerSecond,
                            std::int64_t glitchUs, const PeriodForm& form, std::int32_t windowMs);

}  // namespace vireo
