#include "signal/RawPacket.h"

#include <algorithm>
#include <limits>

namespace vireo {

void RawPacket::From(const PacketEdges& edges, std::int64_t ticksPerSecond) {
  count = 0;
  firstOn = edges.firstOn;
  cut = edges.cut;
  if (ticksPerSecond <= 0) return;
  beginUs = UsBetween(0, edges.levelBegin, ticksPerSecond);
  std::int64_t from = edges.levelBegin;
  for (int i = 0; i <= edges.count; ++i) {
    const std::int64_t to = i < edges.count ? edges.times[i] : edges.end;
    const std::int64_t runUs = UsBetween(from, std::max(from, to), ticksPerSecond);
    us[count++] = static_cast<std::int32_t>(
        std::min<std::int64_t>(runUs, std::numeric_limits<std::int32_t>::max()));
    from = to;
  }
}

}  // namespace vireo
