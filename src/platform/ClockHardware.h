// The raw time sources behind the precision clock and the thread's sleep.
#pragma once

#include <cstdint>

namespace vireo {

// Something that can pause the calling thread.
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void Sleep(std::int32_t ms) = 0;
};

class ClockHardware : public Sleeper {
 public:
  // The platform's performance counter and its rate.
  virtual std::int64_t HighLevelCount() = 0;
  virtual std::int64_t HighLevelFrequency() = 0;
  // The processor's time-stamp counter, read once after serialising.
  virtual std::int64_t LowLevelCount() = 0;
};

}  // namespace vireo
