#include "signal/PeriodCode.h"

#include <algorithm>
#include <limits>

#include "signal/CodeText.h"

namespace vireo {

char PeriodSymbol(std::int64_t periodUs, std::int64_t burstExcessUs, const PeriodForm& form) {
  int c = 0;
  while (c < form.boundCount && periodUs > form.boundsUs[c]) ++c;
  const bool longBurst = form.longBurstUs > 0 && burstExcessUs > form.longBurstUs;
  return static_cast<char>((longBurst ? 'A' : 'a') + c);
}

std::string PeriodCodeText(const SignalFrame& frame, std::int32_t windowMs, const PeriodForm& form,
                           bool withNumbers) {
  FrameRunLengths runs;
  char firstLevel;
  const int pairs = FrameRuns(frame, runs, firstLevel) / 2;
  std::string text;
  if (pairs == 0) return text;
  // A slot holding "1" was sampled with the line off: infrared, a burst.
  const int burst = firstLevel == '1' ? 0 : 1;
  auto us = [windowMs](std::int64_t slots) { return slots * windowMs * 1000 / kSlotCount; };
  // The first pair's burst was cut short by the packet's start: it is the
  // shortest only when it is alone.
  std::int32_t shortest = std::numeric_limits<std::int32_t>::max();
  for (int p = pairs > 1 ? 1 : 0; p < pairs; ++p)
    shortest = std::min(shortest, runs[2 * p + burst]);
  for (int p = 0; p < pairs; ++p) {
    const std::int64_t period = us(std::int64_t{runs[2 * p]} + runs[2 * p + 1]);
    const std::int64_t excess = us(std::int64_t{runs[2 * p + burst]} - shortest);
    text += PeriodSymbol(period, excess, form);
    if (withNumbers) text += " " + std::to_string(period) + "/" + std::to_string(excess) + "|";
  }
  return text;
}

}  // namespace vireo
