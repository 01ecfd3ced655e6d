#include "signal/PeriodCode.h"

#include <algorithm>
#include <limits>

namespace vireo {

char PeriodSymbol(std::int64_t periodUs, std::int64_t burstExcessUs, const PeriodForm& form) {
  int c = 0;
  while (c < form.boundCount && periodUs > form.boundsUs[c]) ++c;
  const bool longBurst = form.longBurstUs > 0 && burstExcessUs > form.longBurstUs;
  return static_cast<char>((longBurst ? 'A' : 'a') + c);
}

std::string PeriodCodeText(const PacketEdges& edges, std::int64_t ticksPerSecond,
                           std::int64_t glitchUs, const PeriodForm& form, bool withNumbers) {
  std::string text;
  if (ticksPerSecond <= 0) return text;
  // Run lengths in us; a glitch and the run after it join the run before,
  // which has the level they both return to.
  std::array<std::int64_t, PacketEdges::kMaxEdges + 1> runs;
  int n = 0;
  std::int64_t from = edges.start;
  for (int i = 0; i <= edges.count; ++i) {
    const std::int64_t to = i < edges.count ? edges.times[i] : edges.end;
    const std::int64_t us = (to - from) * 1'000'000 / ticksPerSecond;
    from = to;
    if (n >= 2 && runs[n - 1] < glitchUs) {
      runs[n - 2] += runs[n - 1] + us;
      --n;
    } else {
      runs[n++] = us;
    }
  }
  const int pairs = n / 2;
  // A burst is a run with the line off; the first pair's burst was cut short
  // by the packet's start, so it counts as the shortest only when alone.
  const int burst = edges.firstOn ? 1 : 0;
  std::int64_t shortest = std::numeric_limits<std::int64_t>::max();
  for (int p = pairs > 1 ? 1 : 0; p < pairs; ++p)
    shortest = std::min(shortest, runs[2 * p + burst]);
  for (int p = 0; p < pairs; ++p) {
    const std::int64_t period = runs[2 * p] + runs[2 * p + 1];
    const std::int64_t excess = runs[2 * p + burst] - shortest;
    text += PeriodSymbol(period, excess, form);
    if (withNumbers) text += " " + std::to_string(period) + "/" + std::to_string(excess) + "|";
  }
  return text;
}

}  // namespace vireo
