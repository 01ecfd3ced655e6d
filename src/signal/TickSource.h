// The clock as the signal frames see it: a tick count and its rate.
#pragma once

#include <cstdint>

namespace vireo {

class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual std::int64_t Now() = 0;
  virtual std::int64_t TicksPerSecond() = 0;
};

}  // namespace vireo
