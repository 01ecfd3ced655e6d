// PrecisionClock gives the capture engine a 64-bit tick counter and its rate,
// from the platform's performance counter (type 1) or the processor's
// time-stamp counter (type 2, rate measured over five seconds).
#pragma once

#include <cstdint>

#include "platform/ClockHardware.h"
#include "signal/TickSource.h"

namespace vireo {

class PrecisionClock : public TickSource {
 public:
  enum Type : std::int32_t { kNone = 0, kHighLevel = 1, kLowLevel = 2, kFailed = -1 };

  explicit PrecisionClock(ClockHardware& hardware) : hardware_(hardware) {}

  bool IsHighLevelAvailable();
  bool IsLowLevelAvailable();
  // Chooses the source for TIMER_TYPE: 0 automatic, 1 high-level, 2 low-level.
  bool Select(std::int32_t requested);
  std::int32_t GetType() const { return type_; }

  std::int64_t Now() override {
    switch (type_) {
      case kLowLevel:
        return hardware_.LowLevelCount();
      case kHighLevel:
        return hardware_.HighLevelCount();
      default:
        return 0;
    }
  }
  // Cached after the first call per selected type; the low-level source's
  // first call sleeps five seconds to measure it.
  std::int64_t TicksPerSecond() override {
    return ticksPerSecond_ != 0 ? static_cast<std::int64_t>(ticksPerSecond_) : MeasureRate();
  }

 private:
  std::int64_t MeasureRate();

  ClockHardware& hardware_;
  std::uint64_t ticksPerSecond_ = 0;
  std::int32_t type_ = kNone;
};

}  // namespace vireo
