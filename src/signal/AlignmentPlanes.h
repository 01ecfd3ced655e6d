// The product's alignment search works on bit planes instead of slot arrays:
// one bit per slot, a plane for the slots holding +1 and one for those
// holding -1. One 64-bit word then compares 64 slots, and the packet is read
// at a bit offset instead of being copied and moved for each trial. Internal
// to the signal library; the tests reach it to compare single trials.
#pragma once

#include <array>
#include <cstdint>

#include "signal/Alignment.h"
#include "signal/SignalFrame.h"

namespace vireo::planes {

using Word = std::uint64_t;
inline constexpr int kWordBits = 64;
inline constexpr int kWords = (kSlotCount + kWordBits - 1) / kWordBits;

inline constexpr int kMinShift = -kShiftOffset;
inline constexpr int kMaxShift = kShiftCount - 1 - kShiftOffset;

constexpr int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Zero words before and after the packet planes, so that every trial shift
// reads inside the array: word w of a packet moved by 64q + b slots is made
// of packet words w - q and w - q - 1.
inline constexpr int kPadBefore = FloorDiv(kMaxShift, kWordBits) + 1;
inline constexpr int kPadAfter = -FloorDiv(kMinShift, kWordBits);
inline constexpr int kPaddedWords = kPadBefore + kWords + kPadAfter;

struct PackedFrame {
  std::array<Word, kWords> plus{};
  std::array<Word, kWords> minus{};
  int first = kSlotCount;  // first and last filled slot; first > last when empty
  int last = -1;
  bool plainValues = true;  // every slot holds -1, 0 or +1
  bool hasTriple = false;   // three filled slots in a row somewhere
};

PackedFrame Pack(const SignalFrame& frame);

// The packet's planes pre-moved by each of the 64 bit offsets, so that any
// trial reads whole words.
struct ShiftedPacket {
  struct Offset {
    std::array<Word, kPaddedWords> plus;  // every word written by the constructor
    std::array<Word, kPaddedWords> minus;
  };
  std::array<Offset, kWordBits> offsets;
  int first = kSlotCount;
  int last = -1;
  bool hasTriple = false;

  explicit ShiftedPacket(const PackedFrame& packet);
};

// The score of one trial shift, as Score(reference, packet moved by shift,
// kRunTolerance) gives it, for frames of plain values. Stops early once the
// score is known to be at least `bound`: a result below bound is the exact
// score, a result of bound or more says only that the score is not below bound.
std::int32_t TrialScore(const PackedFrame& reference, const ShiftedPacket& packet, int shift,
                        std::int32_t bound);

}  // namespace vireo::planes
