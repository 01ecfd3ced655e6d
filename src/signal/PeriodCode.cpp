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

// A burst held for hours on a fast counter saturates low enough that a
// pair's two runs still add up within the range.
std::int64_t UsBetween(std::int64_t from, std::int64_t to, std::int64_t ticksPerSecond) {
  constexpr std::int64_t kUsPerSecond = 1'000'000;
  const std::int64_t ticks = to - from;
  if (ticks > std::numeric_limits<std::int64_t>::max() / kUsPerSecond) {
    return std::numeric_limits<std::int64_t>::max() / 4;
  }
  return ticks * kUsPerSecond / ticksPerSecond;
}

namespace {

struct Pair {
  std::int64_t begin;  // clock ticks
  std::int64_t periodUs, excessUs;
};

// The pairs of the packet's runs, a glitch and the run after it joined to
// the run before, which has the level they both return to.
int Pairs(const PacketEdges& edges, std::int64_t ticksPerSecond, std::int64_t glitchUs,
          std::array<Pair, PacketEdges::kMaxEdges / 2 + 1>& pairs) {
  struct Run {
    std::int64_t begin, us;
  };
  std::array<Run, PacketEdges::kMaxEdges + 1> runs;
  int n = 0;
  std::int64_t from = edges.start;
  for (int i = 0; i <= edges.count; ++i) {
    const std::int64_t to = i < edges.count ? edges.times[i] : edges.end;
    const std::int64_t us = UsBetween(from, to, ticksPerSecond);
    if (n >= 2 && runs[n - 1].us < glitchUs) {
      runs[n - 2].us += runs[n - 1].us + us;
      --n;
    } else {
      runs[n++] = {from, us};
    }
    from = to;
  }
  const int count = n / 2;
  // A burst is a run with the line off; the first pair's burst was cut short
  // by the packet's start, so it counts as the shortest only when alone.
  const int burst = edges.firstOn ? 1 : 0;
  std::int64_t shortest = std::numeric_limits<std::int64_t>::max();
  for (int p = count > 1 ? 1 : 0; p < count; ++p) {
    shortest = std::min(shortest, runs[2 * p + burst].us);
  }
  for (int p = 0; p < count; ++p) {
    pairs[p] = {runs[2 * p].begin, runs[2 * p].us + runs[2 * p + 1].us,
                runs[2 * p + burst].us - shortest};
  }
  return count;
}

}  // namespace

std::string PeriodCodeText(const PacketEdges& edges, std::int64_t ticksPerSecond,
                           std::int64_t glitchUs, const PeriodForm& form, bool withNumbers) {
  std::string text;
  if (ticksPerSecond <= 0) return text;
  std::array<Pair, PacketEdges::kMaxEdges / 2 + 1> pairs;
  const int count = Pairs(edges, ticksPerSecond, glitchUs, pairs);
  for (int p = 0; p < count; ++p) {
    text += PeriodSymbol(pairs[p].periodUs, pairs[p].excessUs, form);
    if (withNumbers) {
      text +=
          " " + std::to_string(pairs[p].periodUs) + "/" + std::to_string(pairs[p].excessUs) + "|";
    }
  }
  return text;
}

std::string PeriodCodeMarks(const PacketEdges& edges, std::int64_t ticksPerSecond,
                            std::int64_t glitchUs, const PeriodForm& form, std::int32_t windowMs) {
  std::string marks(kSlotCount, ' ');
  if (ticksPerSecond <= 0 || windowMs <= 0) return marks;
  std::array<Pair, PacketEdges::kMaxEdges / 2 + 1> pairs;
  const int count = Pairs(edges, ticksPerSecond, glitchUs, pairs);
  for (int p = 0; p < count; ++p) {
    // As a sample is laid into its slot; microseconds keep the product small.
    const std::int64_t us = UsBetween(edges.start, pairs[p].begin, ticksPerSecond);
    const std::int64_t slot = us * kSlotCount / (std::int64_t{windowMs} * 1000);
    if (slot < 0 || slot >= kSlotCount || marks[slot] != ' ') continue;
    marks[slot] = PeriodSymbol(pairs[p].periodUs, pairs[p].excessUs, form);
  }
  return marks;
}

}  // namespace vireo
