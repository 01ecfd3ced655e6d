#include <gtest/gtest.h>

#include <ostream>

#include "capture/PrecisionClock.h"
#include "platform/WallClock.h"

namespace vireo {
namespace {

// Counters that move (or stand still) as a test wants; sleeps advance the
// low-level counter at lowRate ticks per second.
class FakeClockHardware : public ClockHardware {
 public:
  std::int64_t HighLevelCount() override { return highMoves ? high++ : high; }
  std::int64_t HighLevelFrequency() override {
    ++frequencyQueries;
    return 3'579'545;
  }
  std::int64_t LowLevelCount() override { return lowMoves ? low++ : low; }
  void Sleep(std::int32_t ms) override {
    sleptMs += ms;
    if (lowMoves) low += lowRate * ms / 1000;
  }

  bool highMoves = true;
  bool lowMoves = true;
  std::int64_t high = 1000;
  std::int64_t low = 5000;
  std::int64_t lowRate = 2'400'000'000;
  int frequencyQueries = 0;
  std::int64_t sleptMs = 0;
};

struct SelectCase {
  bool high;
  bool low;
  std::int32_t requested;
  bool selected;
  std::int32_t type;
};

void PrintTo(const SelectCase& c, std::ostream* os) {
  *os << "high " << c.high << " low " << c.low << " requested " << c.requested;
}

class ClockSelect : public ::testing::TestWithParam<SelectCase> {};

TEST_P(ClockSelect, ChoosesBySettingAndAvailability) {
  const SelectCase& c = GetParam();
  FakeClockHardware hardware;
  hardware.highMoves = c.high;
  hardware.lowMoves = c.low;
  PrecisionClock clock(hardware);
  EXPECT_EQ(clock.IsHighLevelAvailable(), c.high);
  EXPECT_EQ(clock.IsLowLevelAvailable(), c.low);
  EXPECT_EQ(clock.Select(c.requested), c.selected);
  EXPECT_EQ(clock.GetType(), c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClockSelect,
    ::testing::Values(SelectCase{true, true, 0, true, 1}, SelectCase{false, true, 0, true, 2},
                      SelectCase{false, false, 0, false, -1}, SelectCase{true, true, 1, true, 1},
                      SelectCase{false, true, 1, false, -1}, SelectCase{true, true, 2, true, 2},
                      SelectCase{true, false, 2, false, -1}, SelectCase{true, true, 3, false, -1},
                      SelectCase{true, true, -1, false, -1}));

TEST(PrecisionClock, NothingSelectedReadsZero) {
  FakeClockHardware hardware;
  PrecisionClock clock(hardware);
  EXPECT_EQ(clock.GetType(), 0);
  EXPECT_EQ(clock.Now(), 0);
  EXPECT_EQ(clock.TicksPerSecond(), 0);
  EXPECT_FALSE(clock.Select(7));
  EXPECT_EQ(clock.Now(), 0);
  EXPECT_EQ(clock.TicksPerSecond(), 0);
}

TEST(PrecisionClock, NowReadsTheSelectedSource) {
  FakeClockHardware hardware;
  PrecisionClock clock(hardware);
  ASSERT_TRUE(clock.Select(1));
  hardware.high = 777;
  EXPECT_EQ(clock.Now(), 777);
  ASSERT_TRUE(clock.Select(2));
  hardware.low = 999;
  EXPECT_EQ(clock.Now(), 999);
}

TEST(PrecisionClock, RateIsCachedPerSelectedType) {
  FakeClockHardware hardware;
  PrecisionClock clock(hardware);

  ASSERT_TRUE(clock.Select(2));
  EXPECT_EQ(clock.TicksPerSecond(), 2'400'000'000);
  EXPECT_EQ(hardware.sleptMs, 5000);
  // A second start with the same type keeps the measured rate.
  ASSERT_TRUE(clock.Select(2));
  EXPECT_EQ(clock.TicksPerSecond(), 2'400'000'000);
  EXPECT_EQ(hardware.sleptMs, 5000);

  // The high-level source's rate comes from its frequency, not the calibration.
  ASSERT_TRUE(clock.Select(1));
  EXPECT_EQ(clock.TicksPerSecond(), 3'579'545);
  EXPECT_EQ(clock.TicksPerSecond(), 3'579'545);
  EXPECT_EQ(hardware.frequencyQueries, 1);

  // Back to the low-level source: measured again.
  ASSERT_TRUE(clock.Select(2));
  hardware.lowRate = 1'000'000'000;
  EXPECT_EQ(clock.TicksPerSecond(), 1'000'000'000);
  EXPECT_EQ(hardware.sleptMs, 10000);

  // A failed selection in between also forgets the rate.
  EXPECT_FALSE(clock.Select(9));
  ASSERT_TRUE(clock.Select(2));
  hardware.lowRate = 2'000'000'000;
  EXPECT_EQ(clock.TicksPerSecond(), 2'000'000'000);
}

TEST(WallClock, ElapsedBetweenStamps) {
  WallStamp then;
  then.day = 7;
  then.hour = 23;
  then.minute = 59;
  then.second = 59;
  then.milliseconds = 900;
  WallStamp now = then;
  now.day = 8;
  now.hour = 0;
  now.minute = 0;
  now.second = 0;
  now.milliseconds = 100;
  EXPECT_EQ(ElapsedBetween(then, now), 99999);

  now = then;
  now.hour = 23;
  now.minute = 59;
  now.second = 58;
  now.milliseconds = 400;
  then.second = 56;
  then.milliseconds = 900;
  EXPECT_EQ(ElapsedBetween(then, now), 1500);
  // Month and year are not compared: a month-old stamp on the same day number.
  WallStamp monthAgo = now;
  monthAgo.month = now.month - 1;
  monthAgo.hour = 1;
  EXPECT_EQ(ElapsedBetween(monthAgo, now), 22 * 3600 * 1000);
  EXPECT_LT(ElapsedBetween(now, monthAgo), 0);
}

}  // namespace
}  // namespace vireo
