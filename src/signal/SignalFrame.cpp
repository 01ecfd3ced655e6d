#include "signal/SignalFrame.h"

#include <algorithm>
#include <limits>

namespace vireo {

namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
// Slots per window times milliseconds per second: index = elapsed x this /
// (windowMs x ticksPerSecond) is elapsed milliseconds x 1300 / windowMs.
constexpr std::int64_t kSlotScale = std::int64_t{kSlotCount} * 1000;
// The glitch filter stops at slot 1297, so slots 1298 and 1299 keep their
// samples as they are.
constexpr int kLastSmoothedSlot = kSlotCount - 3;

}  // namespace

void SignalFrame::Mark(bool levelOn, std::int64_t now, std::int64_t ticksPerSecond) {
  // Any step whose true value leaves the signed 64-bit range is a sample
  // outside the window: hours of recording never wrap around into a slot.
  const bool differenceFits =
      startTime >= 0 ? now >= kInt64Min + startTime : now <= kInt64Max + startTime;
  if (!differenceFits || windowMs <= 0 || ticksPerSecond <= 0) {
    overflow = 1;
    return;
  }
  const std::int64_t elapsed = now - startTime;
  if (elapsed > kInt64Max / kSlotScale || elapsed < kInt64Min / kSlotScale) {
    overflow = 1;
    return;
  }
  const std::int64_t scaled = elapsed * kSlotScale;
  // A divisor beyond the range exceeds every numerator in it: the quotient
  // truncates to 0, exactly as the unbounded arithmetic would give.
  const std::int64_t index = ticksPerSecond > kInt64Max / windowMs
                                 ? 0
                                 : scaled / (std::int64_t{windowMs} * ticksPerSecond);
  if (index < 0 || index >= kSlotCount) {
    overflow = 1;
    return;
  }
  slots[static_cast<std::size_t>(index)] = levelOn ? -1 : +1;
}

int SignalFrame::CountFilled() const {
  return static_cast<int>(
      std::count_if(slots.begin(), slots.end(), [](std::int32_t v) { return v != 0; }));
}

void SignalFrame::Smooth() {
  const std::array<std::int32_t, kSlotCount> copy = slots;
  for (int k = 1; k <= kLastSmoothedSlot; ++k) {
    if (copy[k - 1] == copy[k + 1]) slots[k] = copy[k - 1];
  }
}

void SignalFrame::ShiftBy(int s) {
  if (s == 0) return;
  if (s >= kSlotCount || s <= -kSlotCount) {
    slots.fill(0);
    return;
  }
  if (s > 0) {
    std::copy_backward(slots.begin(), slots.end() - s, slots.end());
    std::fill(slots.begin(), slots.begin() + s, 0);
  } else {
    std::copy(slots.begin() - s, slots.end(), slots.begin());
    std::fill(slots.end() + s, slots.end(), 0);
  }
}

void SignalFrame::Clear() {
  slots.fill(0);
  accepted = 0;
  overflow = 0;
  shift = 0;
}

}  // namespace vireo
