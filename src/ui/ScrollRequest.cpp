#include "ui/ScrollRequest.h"

#include <algorithm>

namespace vireo {

namespace {
enum : std::int32_t {
  kLineLeft = 0,
  kLineRight = 1,
  kPageLeft = 2,
  kPageRight = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kLeft = 6,
  kRight = 7,
};
}  // namespace

std::int32_t NewScrollPosition(const ScrollBarState& bar, std::int32_t code, std::int32_t thumb) {
  // With a page size the thumb covers it, and the last position is less.
  const std::int32_t limit = bar.page > 0 ? bar.max - (bar.page - 1) : bar.max;
  const std::int32_t pos = bar.position;
  switch (code) {
    case kLineLeft:
      return pos > bar.min ? pos - 1 : pos;
    case kLineRight:
      return pos < limit ? pos + 1 : pos;
    case kPageLeft:
      return pos > bar.min ? std::max(bar.min, pos - bar.page) : pos;
    case kPageRight:
      return pos < limit ? std::min(limit, pos + bar.page) : pos;
    case kThumbPosition:
    case kThumbTrack:
      return thumb;
    case kLeft:
      return bar.min;
    case kRight:
      return limit;
    default:
      return pos;
  }
}

}  // namespace vireo
