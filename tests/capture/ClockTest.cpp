#include <gtest/gtest.h>

#include "capture/PrecisionClock.h"
#include "platform/WallClock.h"
#include "support/CaseFile.h"

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

class ClockSelect : public ::testing::TestWithParam<test::Row> {};

TEST_P(ClockSelect, BySettingAndAvailability) {
  const test::Row& row = GetParam();
  FakeClockHardware hardware;
  hardware.highMoves = row[0] == "1";
  hardware.lowMoves = row[1] == "1";
  PrecisionClock clock(hardware);
  EXPECT_EQ(clock.GetType(), 0);
  EXPECT_EQ(clock.Now(), 0);
  EXPECT_EQ(clock.IsHighLevelAvailable(), hardware.highMoves);
  EXPECT_EQ(clock.IsLowLevelAvailable(), hardware.lowMoves);
  EXPECT_EQ(clock.Select(std::stoi(row[2])), row[3] == "1");
  EXPECT_EQ(clock.GetType(), std::stoi(row[4]));
  if (row[3] == "0") {
    EXPECT_EQ(clock.Now() + clock.TicksPerSecond(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Data, ClockSelect,
                         ::testing::ValuesIn(test::ReadTable("capture/clock-select.txt")));

TEST(PrecisionClock, ReadsTheSelectedSourceAndCachesItsRatePerType) {
  FakeClockHardware hardware;
  PrecisionClock clock(hardware);
  ASSERT_TRUE(clock.Select(2));
  hardware.low = 999;
  EXPECT_EQ(clock.Now(), 999);
  EXPECT_EQ(clock.TicksPerSecond(), 2'400'000'000);
  EXPECT_EQ(hardware.sleptMs, 5000);
  // A second start with the same type keeps the measured rate.
  ASSERT_TRUE(clock.Select(2));
  EXPECT_EQ(clock.TicksPerSecond(), 2'400'000'000);
  EXPECT_EQ(hardware.sleptMs, 5000);

  // The high-level source's rate comes from its frequency, asked once.
  ASSERT_TRUE(clock.Select(1));
  hardware.high = 777;
  EXPECT_EQ(clock.Now(), 777);
  EXPECT_EQ(clock.TicksPerSecond(), 3'579'545);
  EXPECT_EQ(clock.TicksPerSecond(), 3'579'545);
  EXPECT_EQ(hardware.frequencyQueries, 1);

  // Back to the low-level source, or after a failed selection: measured again.
  for (bool failFirst : {false, true}) {
    if (failFirst) {
      EXPECT_FALSE(clock.Select(9));
    }
    ASSERT_TRUE(clock.Select(2));
    hardware.lowRate = failFirst ? 2'000'000'000 : 1'000'000'000;
    EXPECT_EQ(clock.TicksPerSecond(), hardware.lowRate);
  }
  EXPECT_EQ(hardware.sleptMs, 15000);
}

TEST(WallClock, ElapsedMillisecondsOr99999WhenTheDayChanged) {
  const WallStamp then{2026, 12, 1, 7, 23, 59, 56, 900};
  struct {
    WallStamp now;
    std::int32_t elapsed;
  } const cases[] = {
      {{2026, 12, 1, 7, 23, 59, 58, 400}, 1500},
      {{2026, 12, 2, 8, 0, 0, 0, 100}, 99999},
      {{2027, 1, 3, 7, 23, 59, 58, 400}, 1500},  // month and year are not compared
      {{2026, 12, 1, 7, 1, 0, 0, 0}, -82796900},
  };
  for (const auto& c : cases) EXPECT_EQ(ElapsedBetween(then, c.now), c.elapsed) << c.elapsed;
}

}  // namespace
}  // namespace vireo
