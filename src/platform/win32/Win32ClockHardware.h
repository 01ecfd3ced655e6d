// The precision clock's sources on Windows: the performance counter, the
// processor's time-stamp counter, and the thread's sleep.
#pragma once

#include <cstdint>

#include "platform/ClockHardware.h"

namespace vireo {

class Win32ClockHardware final : public ClockHardware {
 public:
  void Sleep(std::int32_t ms) override;
  std::int64_t HighLevelCount() override;
  std::int64_t HighLevelFrequency() override;
  std::int64_t LowLevelCount() override;
};

}  // namespace vireo
