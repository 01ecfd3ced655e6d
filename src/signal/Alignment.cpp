#include "signal/Alignment.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "signal/AlignmentPlanes.h"

namespace vireo {

std::int32_t Score(const SignalFrame& first, const SignalFrame& second, std::int32_t runTolerance) {
  std::int32_t mismatches = 0;
  std::int32_t run = 0;
  std::int32_t longest = 0;
  for (int k = 0; k < kSlotCount; ++k) {
    const std::int32_t a = first.slots[k];
    const std::int32_t b = second.slots[k];
    // Without branches, which the irregular mismatches of real frames would
    // defeat: keep is all ones on a mismatch and 0 on any other slot, where
    // the run ends.
    const std::int32_t mismatch = (a != 0) & (b != 0) & (a != b);
    const std::int32_t keep = -mismatch;
    mismatches += mismatch;
    longest = std::max(longest, run & ~keep);
    run = (run + 1) & keep;
  }
  // A run still open after the last slot is deliberately not counted.
  return longest > runTolerance ? mismatches * 100 : mismatches;
}

namespace planes {

namespace {

constexpr int kLastWordBits = kSlotCount - (kWords - 1) * kWordBits;
constexpr Word kLastWordMask = (Word{1} << kLastWordBits) - 1;
constexpr std::int32_t kRunFactor = 100;

// Three filled slots in a row, also across the word boundary.
bool HasTriple(const std::array<Word, kWords>& plus, const std::array<Word, kWords>& minus) {
  Word previous = 0;
  for (int w = 0; w < kWords; ++w) {
    const Word f = plus[w] | minus[w];
    const Word f1 = (f << 1) | (previous >> (kWordBits - 1));
    const Word f2 = (f << 2) | (previous >> (kWordBits - 2));
    if ((f & f1 & f2) != 0) return true;
    previous = f;
  }
  return false;
}

// The trial loop, compiled twice: with the processor's population count
// instruction where it exists, and portably for processors without it.
[[gnu::always_inline]] inline std::int32_t TrialScoreBody(const PackedFrame& reference,
                                                          const ShiftedPacket& packet, int shift,
                                                          std::int32_t bound) {
  // Only slots filled in both frames can mismatch.
  const int lo = std::max(reference.first, packet.first + shift);
  const int hi = std::min(reference.last, packet.last + shift);
  if (lo > hi) return 0;
  const int q = FloorDiv(shift, kWordBits);
  const ShiftedPacket::Offset& moved = packet.offsets[shift - q * kWordBits];
  const Word* plus = moved.plus.data() + kPadBefore - q;
  const Word* minus = moved.minus.data() + kPadBefore - q;
  const int wLo = lo / kWordBits;
  // One word past the overlap, where a run that reaches its top bit is closed.
  const int wHi = std::min(hi / kWordBits + 1, kWords - 1);
  const bool runsPossible = reference.hasTriple && packet.hasTriple;
  std::int32_t mismatches = 0;
  bool closedRun = false;
  Word previous = 0;
  for (int w = wLo; w <= wHi; ++w) {
    const Word miss = (reference.plus[w] & minus[w]) | (reference.minus[w] & plus[w]);
    mismatches += std::popcount(miss);
    if (runsPossible && !closedRun) {
      // A run longer than the tolerance is closed where a slot inside the
      // frame stops it: mismatches at k-3, k-2, k-1 and none at k.
      const Word inFrame = w == kWords - 1 ? kLastWordMask : ~Word{0};
      const Word m1 = (miss << 1) | (previous >> (kWordBits - 1));
      const Word m2 = (miss << 2) | (previous >> (kWordBits - 2));
      const Word m3 = (miss << 3) | (previous >> (kWordBits - 3));
      closedRun = (~miss & inFrame & m1 & m2 & m3) != 0;
    }
    previous = miss;
    // The final score is at least this much already.
    const std::int32_t partial = closedRun ? mismatches * kRunFactor : mismatches;
    if (partial >= bound) return partial;
  }
  return closedRun ? mismatches * kRunFactor : mismatches;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define VIREO_POPCNT_DISPATCH 1
[[gnu::target("popcnt")]] std::int32_t TrialScorePopcnt(const PackedFrame& reference,
                                                        const ShiftedPacket& packet, int shift,
                                                        std::int32_t bound) {
  return TrialScoreBody(reference, packet, shift, bound);
}
#endif

}  // namespace

PackedFrame Pack(const SignalFrame& frame) {
  static_assert(std::endian::native == std::endian::little, "bytes are gathered into bits below");
  // Gathers eight 0/1 bytes of a little-endian word into eight bits.
  constexpr Word kGather = 0x0102040810204080;
  PackedFrame p;
  bool odd = false;
  // One byte per slot first, which the compiler turns into vector compares,
  // then eight bytes to eight bits by one multiplication.
  for (int w = 0; w < kWords; ++w) {
    std::array<std::uint8_t, kWordBits> isPlus{};
    std::array<std::uint8_t, kWordBits> isMinus{};
    const int count = std::min(kWordBits, kSlotCount - w * kWordBits);
    for (int i = 0; i < count; ++i) {
      const std::int32_t v = frame.slots[w * kWordBits + i];
      isPlus[i] = v == 1;
      isMinus[i] = v == -1;
      odd |= (v != 0) & (v != 1) & (v != -1);
    }
    Word plus = 0;
    Word minus = 0;
    for (int j = 0; j < kWordBits / 8; ++j) {
      Word bytes;
      std::memcpy(&bytes, isPlus.data() + 8 * j, sizeof bytes);
      plus |= ((bytes * kGather) >> 56) << (8 * j);
      std::memcpy(&bytes, isMinus.data() + 8 * j, sizeof bytes);
      minus |= ((bytes * kGather) >> 56) << (8 * j);
    }
    p.plus[w] = plus;
    p.minus[w] = minus;
  }
  p.plainValues = !odd;
  for (int w = 0; w < kWords; ++w) {
    const Word f = p.plus[w] | p.minus[w];
    if (f == 0) continue;
    if (p.last < 0) p.first = w * kWordBits + std::countr_zero(f);
    p.last = w * kWordBits + std::bit_width(f) - 1;
  }
  p.hasTriple = HasTriple(p.plus, p.minus);
  return p;
}

ShiftedPacket::ShiftedPacket(const PackedFrame& packet)
    : first(packet.first), last(packet.last), hasTriple(packet.hasTriple) {
  for (int b = 0; b < kWordBits; ++b) {
    Offset& o = offsets[b];
    // Only the padding needs clearing; the loop below writes the rest.
    for (int w = 0; w < kPadBefore; ++w) o.plus[w] = o.minus[w] = 0;
    for (int w = kPadBefore + kWords + 1; w < kPaddedWords; ++w) o.plus[w] = o.minus[w] = 0;
    // Bit i of word w holds slot 64w + i - b; the carried-in part is shifted
    // in two steps so that b = 0 needs no special case.
    Word carryPlus = 0;
    Word carryMinus = 0;
    for (int w = 0; w <= kWords; ++w) {
      const Word plus = w < kWords ? packet.plus[w] : 0;
      const Word minus = w < kWords ? packet.minus[w] : 0;
      o.plus[kPadBefore + w] = (plus << b) | ((carryPlus >> 1) >> (kWordBits - 1 - b));
      o.minus[kPadBefore + w] = (minus << b) | ((carryMinus >> 1) >> (kWordBits - 1 - b));
      carryPlus = plus;
      carryMinus = minus;
    }
  }
}

std::int32_t TrialScore(const PackedFrame& reference, const ShiftedPacket& packet, int shift,
                        std::int32_t bound) {
#ifdef VIREO_POPCNT_DISPATCH
  if (__builtin_cpu_supports("popcnt")) return TrialScorePopcnt(reference, packet, shift, bound);
#endif
  return TrialScoreBody(reference, packet, shift, bound);
}

}  // namespace planes

AlignmentResult FindBestShift(const SignalFrame& reference, const SignalFrame& packet) {
  static_assert(kRunTolerance == 2, "the run test of TrialScore looks for three in a row");
  AlignmentResult best;
  const planes::PackedFrame ref = planes::Pack(reference);
  const planes::PackedFrame pkt = planes::Pack(packet);
  if (!ref.plainValues || !pkt.plainValues) {
    // The planes cannot tell 2 from 1; such frames never come from Mark, and
    // take the plain trial-by-trial form.
    SignalFrame scratch;
    for (int trial = 0; trial < kShiftCount; ++trial) {
      scratch.CopySlotsFrom(packet);
      scratch.ShiftBy(trial - kShiftOffset);
      const std::int32_t s = Score(reference, scratch, kRunTolerance);
      if (s < best.bestScore) best = {s, trial};
    }
    return best;
  }
  const planes::ShiftedPacket moved(pkt);
  // Trials in increasing order, each stopped as soon as it cannot beat the
  // best so far: the first trial with the lowest score wins, as in the plain form.
  for (int trial = 0; trial < kShiftCount && best.bestScore > 0; ++trial) {
    const std::int32_t s = planes::TrialScore(ref, moved, trial - kShiftOffset, best.bestScore);
    if (s < best.bestScore) best = {s, trial};
  }
  return best;
}

}  // namespace vireo
