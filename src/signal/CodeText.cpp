#include "signal/CodeText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace vireo {

namespace {

constexpr char kBlank = ' ';
constexpr char kShiftedIn = '_';
constexpr char kRatioSeparator = ' ';
constexpr double kPercent = 100.0;
// A first run of no slots has no finite ratio; it always reads as "0" and
// shows this number, the value the unguarded conversion gave on x86.
constexpr std::int32_t kInfiniteRatio = std::numeric_limits<std::int32_t>::min();
constexpr char kSymbolUnequal = '1';
constexpr char kSymbolEqual = '0';
constexpr char kSymbolBetween = '?';

constexpr const char* kOverflowSet = "---1";
constexpr const char* kOverflowClear = "+++1";
constexpr const char* kAcceptedSet = "+++";
constexpr const char* kAcceptedClear = "---";
constexpr std::size_t kMarkerLength = 7;

// Longer over shorter times 100, in this order in doubles: 57/50 gives
// 113.99999999999999 and so 113, where integer arithmetic would give 114.
std::int32_t Ratio(std::int32_t a, std::int32_t b) {
  const double longer = a > b ? a : b;
  const double shorter = a > b ? b : a;
  return static_cast<std::int32_t>(longer / shorter * kPercent);
}

void AppendRatio(std::string& text, std::int32_t ratio) {
  char field[16];
  const int n = std::snprintf(field, sizeof field, "%4i|", static_cast<int>(ratio));
  text += kRatioSeparator;
  text.append(field, static_cast<std::size_t>(n));
}

}  // namespace

char SlotChar(std::int32_t value) {
  if (value > 0) return '1';
  if (value < 0) return '0';
  return kBlank;
}

char CodeSymbol(std::int32_t ratio, std::int32_t maxRatio, std::int32_t minRatio) {
  char symbol = kSymbolBetween;
  if (ratio > maxRatio) symbol = kSymbolUnequal;
  if (ratio < minRatio) symbol = kSymbolEqual;  // last, so it wins when the thresholds overlap
  return symbol;
}

int FrameRuns(const SignalFrame& frame, FrameRunLengths& runs, char& firstLevel) {
  runs.fill(0);
  int r = 0;
  char level = SlotChar(frame.slots[0]);
  if (level == kBlank) level = '1';
  firstLevel = level;
  // Slot 0 only sets the starting level; a blank slot lengthens the current run.
  for (int k = 1; k < kSlotCount; ++k) {
    const char c = SlotChar(frame.slots[k]);
    if (c != kBlank && c != level) {
      ++r;
      level = c;
    }
    ++runs[r];
  }
  return r + 1;
}

std::string CodeText(const SignalFrame& frame, std::int32_t maxRatio, std::int32_t minRatio,
                     bool withRatios) {
  FrameRunLengths runs;
  char firstLevel;
  const int r = FrameRuns(frame, runs, firstLevel) - 1;
  std::string text;
  if (r == 0) return text;
  const int pairs = (r + 1) / 2;  // an odd last run belongs to no pair
  for (int p = 0; p < pairs; ++p) {
    const std::int32_t a = runs[2 * p];
    const std::int32_t b = runs[2 * p + 1];
    std::int32_t ratio = kInfiniteRatio;
    char symbol = kSymbolEqual;
    // Only the first run can be empty (slot 1 already changed the level);
    // every later run holds the slot that began it.
    if (a != 0 && b != 0) {
      ratio = Ratio(a, b);
      symbol = CodeSymbol(ratio, maxRatio, minRatio);
    }
    text += symbol;
    if (withRatios) AppendRatio(text, ratio);
  }
  return text;
}

std::string SlotText(SignalFrame& frame) {
  frame.Smooth();
  std::string text;
  text.reserve(kMarkerLength + kSlotCount);
  text += frame.overflow != 0 ? kOverflowSet : kOverflowClear;
  text += frame.accepted != 0 ? kAcceptedSet : kAcceptedClear;
  // Alignment keeps the shift within -325..324; beyond the frame the body is
  // all "_" rather than a text of any length.
  const std::int64_t s = frame.shift;
  if (s >= 0) {
    const int gap = static_cast<int>(std::min<std::int64_t>(s, kSlotCount));
    text.append(static_cast<std::size_t>(gap), kShiftedIn);
    for (int k = gap; k < kSlotCount; ++k) text += SlotChar(frame.slots[k]);
  } else {
    // A backward shift shows one slot fewer: the last |s| + 1 slots are not drawn.
    const int gap = static_cast<int>(std::min<std::int64_t>(-s, kSlotCount - 1));
    text.append(static_cast<std::size_t>(gap), kShiftedIn);
    for (int k = 0; k <= kSlotCount - 2 - gap; ++k) text += SlotChar(frame.slots[k]);
  }
  return text;
}

}  // namespace vireo
