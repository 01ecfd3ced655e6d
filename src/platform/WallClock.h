// Coarse wall-clock stamps (UTC calendar time with milliseconds) for the
// user interface's hold and countdown timers.
#pragma once

#include <cstdint>

namespace vireo {

struct WallStamp {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

class WallClock {
 public:
  virtual ~WallClock() = default;
  virtual void StampTime(WallStamp& stamp) = 0;
};

// Milliseconds from `then` to `now`, or 99999 when the day of the month
// differs (year and month are not compared).
std::int32_t ElapsedBetween(const WallStamp& then, const WallStamp& now);

inline std::int32_t ElapsedMs(WallClock& clock, const WallStamp& then) {
  WallStamp now;
  clock.StampTime(now);
  return ElapsedBetween(then, now);
}

}  // namespace vireo
