#include "platform/WallClock.h"

namespace vireo {

std::int32_t ElapsedBetween(const WallStamp& then, const WallStamp& now) {
  if (now.day != then.day) return 99999;
  std::int32_t hours = now.hour - then.hour;
  std::int32_t minutes = now.minute - then.minute;
  std::int32_t seconds = now.second - then.second;
  std::int32_t ms = now.milliseconds - then.milliseconds;
  return ((hours * 60 + minutes) * 60 + seconds) * 1000 + ms;
}

}  // namespace vireo
