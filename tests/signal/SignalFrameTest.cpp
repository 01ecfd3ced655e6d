#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

#include "SignalTestSupport.h"
#include "signal/SignalFrame.h"

namespace vireo {
namespace {

using testing::FrameFromPicture;
using testing::Picture;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr int kOverflow = -1;

struct MarkCase {
  const char* name;
  std::int32_t windowMs;
  std::int64_t ticksPerSecond;
  std::int64_t startTime;
  std::int64_t now;
  int slot;  // kOverflow: no slot written, overflow set
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }

class MarkTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(MarkTest, WritesTheSlotOfItsTimeOrSetsOverflow) {
  const MarkCase& c = GetParam();
  SignalFrame frame;
  frame.windowMs = c.windowMs;
  frame.startTime = c.startTime;
  frame.Mark(false, c.now, c.ticksPerSecond);
  if (c.slot == kOverflow) {
    EXPECT_EQ(frame.overflow, 1);
    EXPECT_EQ(frame.CountFilled(), 0);
  } else {
    EXPECT_EQ(frame.overflow, 0);
    EXPECT_EQ(frame.CountFilled(), 1);
    EXPECT_EQ(frame.slots[c.slot], 1);
  }
}

// 130 ms at 10 MHz: a slot is 0.1 ms, 1000 ticks.
INSTANTIATE_TEST_SUITE_P(
    Times, MarkTest,
    ::testing::Values(MarkCase{"AtStart", 130, 10'000'000, 5'000'000, 5'000'000, 0},
                      MarkCase{"JustBeforeSlot1", 130, 10'000'000, 0, 999, 0},
                      MarkCase{"Slot1", 130, 10'000'000, 0, 1000, 1},
                      MarkCase{"Ms12_34", 130, 10'000'000, 0, 123'400, 123},
                      MarkCase{"LastSlot", 130, 10'000'000, 0, 1'299'000, 1299},
                      MarkCase{"LastTick", 130, 10'000'000, 0, 1'299'999, 1299},
                      MarkCase{"EndOfWindow", 130, 10'000'000, 0, 1'300'000, kOverflow},
                      // Truncation toward zero: a tick early still lands in slot 0.
                      MarkCase{"OneTickEarly", 130, 10'000'000, 1000, 999, 0},
                      MarkCase{"OneSlotEarly", 130, 10'000'000, 1000, 0, kOverflow},
                      MarkCase{"MillisecondClock", 100, 1000, 0, 77, 1001},
                      MarkCase{"OddRates", 7, 3'579'545, 0, 10'000, 518},
                      // The product leaves the 64-bit range; wrapped it would read slot 348.
                      MarkCase{"ProductWouldWrap", 1, 1000, 0, 14'189'803'133'623, kOverflow},
                      MarkCase{"LargestProduct", 1, 1000, 0, kMax / 1'300'000, kOverflow},
                      MarkCase{"DifferenceBeyondRange", 130, 10'000'000, -1, kMax, kOverflow},
                      MarkCase{"DifferenceBelowRange", 130, 10'000'000, 1, kMin, kOverflow},
                      // windowMs x ticksPerSecond beyond the range exceeds every numerator.
                      MarkCase{"DivisorBeyondRange", 130, kMax / 2, 0, 1'000'000'000'000, 0},
                      MarkCase{"NoWindow", 0, 10'000'000, 0, 10, kOverflow},
                      MarkCase{"NoRate", 130, 0, 0, 10, kOverflow}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SignalFrame, LineOnWritesMinusOneAndTheLastSampleInASlotWins) {
  SignalFrame frame;
  frame.windowMs = 130;
  frame.Mark(true, 100, 10'000'000);
  EXPECT_EQ(frame.slots[0], -1);
  frame.Mark(false, 900, 10'000'000);
  EXPECT_EQ(frame.slots[0], 1);
  frame.Mark(true, 2'000'000, 10'000'000);  // overflow keeps the slots and stays set
  frame.Mark(true, 1000, 10'000'000);
  EXPECT_EQ(frame.overflow, 1);
  EXPECT_EQ(Picture(frame), "10");
}

struct SmoothCase {
  const char* name;
  int firstSlot;
  const char* before;
  const char* after;
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const SmoothCase& c, std::ostream* os) { *os << c.name; }

class SmoothTest : public ::testing::TestWithParam<SmoothCase> {};

TEST_P(SmoothTest, FiltersSingleSlotsFromACopy) {
  const SmoothCase& c = GetParam();
  SignalFrame frame = FrameFromPicture(c.before, c.firstSlot);
  frame.Smooth();
  EXPECT_EQ(Picture(frame), Picture(FrameFromPicture(c.after, c.firstSlot)));
}

INSTANTIATE_TEST_SUITE_P(Patterns, SmoothTest,
                         ::testing::Values(SmoothCase{"LoneSlotEmptied", 10, ".1.", "..."},
                                           SmoothCase{"GapFilled", 10, "11.11", "11111"},
                                           SmoothCase{"GlitchFlipped", 10, "010", "000"},
                                           SmoothCase{"PairKept", 10, ".11.", ".11."},
                                           // Each slot is judged on the original neighbours.
                                           SmoothCase{"AlternatingReadsTheCopy", 10, "10101",
                                                      "11011"},
                                           SmoothCase{"SlotOneFiltered", 0, "101", "111"},
                                           SmoothCase{"Slot1297Filtered", 1296, "101", "111"},
                                           SmoothCase{"Slot1298Kept", 1297, "101", "101"},
                                           SmoothCase{"LoneSlot1298Kept", 1297, ".1.", ".1."}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SignalFrame, ShiftByMovesContentAndFillsWithEmpty) {
  struct Case {
    int s;
    int firstFilled;  // where slot 0 of the content lands, or -1
    int lastFilled;   // where the last kept content slot lands
  };
  for (const Case c : {Case{0, 0, 1299}, Case{3, 3, 1299}, Case{-3, 0, 1296},
                       Case{1299, 1299, 1299}, Case{-1299, 0, 0}, Case{1300, -1, -1},
                       Case{-1300, -1, -1}, Case{std::numeric_limits<int>::min(), -1, -1}}) {
    SCOPED_TRACE(c.s);
    SignalFrame frame;
    for (int k = 0; k < kSlotCount; ++k) frame.slots[k] = k + 1;  // every slot tells its origin
    frame.accepted = 1;
    frame.shift = 9;
    frame.ShiftBy(c.s);
    EXPECT_EQ(frame.accepted, 1);
    EXPECT_EQ(frame.shift, 9);
    if (c.firstFilled < 0) {
      EXPECT_EQ(frame.CountFilled(), 0);
      continue;
    }
    EXPECT_EQ(frame.CountFilled(), c.lastFilled - c.firstFilled + 1);
    EXPECT_EQ(frame.slots[c.firstFilled], c.firstFilled - c.s + 1);
    EXPECT_EQ(frame.slots[c.lastFilled], c.lastFilled - c.s + 1);
  }
}

TEST(SignalFrame, ValidOnlyWithMoreFilledSlotsThanMinSlots) {
  SignalFrame frame = FrameFromPicture("1 0 1", 100);  // three filled
  for (const auto& [minSlots, valid] : {std::pair{2, true}, {3, false}, {4, false}, {-1, true}}) {
    frame.minSlots = minSlots;
    EXPECT_EQ(frame.IsValid(), valid) << minSlots;
  }
  frame.slots[5] = 7;  // anything but 0 counts as filled
  EXPECT_EQ(frame.CountFilled(), 4);
}

TEST(SignalFrame, CopySlotsFromCopiesOnlySlotsAndClearKeepsTheSettings) {
  SignalFrame source = FrameFromPicture("110");
  source.accepted = 1;
  source.overflow = 1;
  source.shift = -4;
  source.startTime = 77;
  source.windowMs = 130;
  source.minSlots = 12;
  SignalFrame target;
  target.CopySlotsFrom(source);
  EXPECT_EQ(Picture(target), "110");
  SignalFrame slotsOnly;
  slotsOnly.slots = source.slots;
  EXPECT_EQ(testing::FrameDifference(target, slotsOnly), "");

  source.Clear();
  SignalFrame expected;
  expected.startTime = 77;
  expected.windowMs = 130;
  expected.minSlots = 12;
  EXPECT_EQ(testing::FrameDifference(source, expected), "");
}

}  // namespace
}  // namespace vireo
