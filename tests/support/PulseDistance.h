// The durations, in microseconds, of a pulse-distance frame as NEC sends it:
// a 9 ms burst, a 4.5 ms pause, per bit (least significant first) a 0.56 ms
// burst and a 0.56 ms (0) or 1.69 ms (1) pause, and a closing burst.
#pragma once

#include <cstdint>
#include <vector>

namespace vireo::test {

inline std::vector<std::int64_t> PulseDistanceFrame(std::uint64_t bits, int count) {
  std::vector<std::int64_t> frame = {9000, 4500};
  for (int i = 0; i < count; ++i) frame.insert(frame.end(), {560, (bits >> i) & 1 ? 1690 : 560});
  frame.push_back(560);
  return frame;
}

}  // namespace vireo::test
