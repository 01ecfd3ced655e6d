// The signal view's scroll bar: the new position for a scroll request.
#pragma once

#include <cstdint>

namespace vireo {

struct ScrollBarState {
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::int32_t page = 0;
  std::int32_t position = 0;
};

// code is the request (SB_LINELEFT 0 ... SB_RIGHT 7); thumb the position a
// thumb request carries. Unknown codes, SB_ENDSCROLL among them, keep the
// position.
std::int32_t NewScrollPosition(const ScrollBarState& bar, std::int32_t code, std::int32_t thumb);

}  // namespace vireo
