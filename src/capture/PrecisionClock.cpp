#include "capture/PrecisionClock.h"

namespace vireo {

namespace {
constexpr std::int32_t kCalibrationMs = 5000;

// Two readings around a short busy loop; a source that does not move in that
// time is no usable source.
template <typename Read>
bool Moves(Read read) {
  std::int64_t first = read();
  volatile std::int64_t counter = 0;
  while (counter < 1000) counter = counter + 1;
  return read() != first;
}
}  // namespace

bool PrecisionClock::IsHighLevelAvailable() {
  return Moves([this] { return hardware_.HighLevelCount(); });
}

bool PrecisionClock::IsLowLevelAvailable() {
  return Moves([this] { return hardware_.LowLevelCount(); });
}

bool PrecisionClock::Select(std::int32_t requested) {
  std::int32_t chosen = kFailed;
  bool high = IsHighLevelAvailable();
  if ((requested == 0 || requested == 1) && high) {
    chosen = kHighLevel;
  } else if ((requested == 0 || requested == 2) && IsLowLevelAvailable()) {
    chosen = kLowLevel;
  }
  if (chosen == kFailed) {
    type_ = kFailed;
    return false;
  }
  if (chosen != type_) ticksPerSecond_ = 0;
  type_ = chosen;
  return true;
}

std::int64_t PrecisionClock::MeasureRate() {
  if (type_ == kHighLevel) {
    ticksPerSecond_ = static_cast<std::uint64_t>(hardware_.HighLevelFrequency());
  } else if (type_ == kLowLevel) {
    std::int64_t start = hardware_.LowLevelCount();
    hardware_.Sleep(kCalibrationMs);
    std::int64_t perSecond = (hardware_.LowLevelCount() - start) / (kCalibrationMs / 1000);
    // A counter that ran backwards is no clock: report no rate rather than a huge one.
    ticksPerSecond_ = perSecond > 0 ? static_cast<std::uint64_t>(perSecond) : 0;
  }
  return static_cast<std::int64_t>(ticksPerSecond_);
}

}  // namespace vireo
