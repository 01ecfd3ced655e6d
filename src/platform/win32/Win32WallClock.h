// Wall-clock stamps from the system time (UTC).
#pragma once

#include "platform/WallClock.h"

namespace vireo {

class Win32WallClock final : public WallClock {
 public:
  void StampTime(WallStamp& stamp) override;
};

}  // namespace vireo
