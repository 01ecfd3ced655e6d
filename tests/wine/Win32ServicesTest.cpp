// The Win32 services as Windows (here Wine) provides them: the clock
// sources, the wall clock, the priority class, the time-critical thread and
// the serial line on ports that do not lead anywhere.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>

#include "platform/win32/Win32ClockHardware.h"
#include "platform/win32/Win32ProcessControl.h"
#include "platform/win32/Win32SerialLine.h"
#include "platform/win32/Win32WallClock.h"

namespace vireo {
namespace {

// The handles the process holds, counted by asking after each possible
// value: Wine's GetProcessHandleCount always answers 0.
int HandleCount() {
  int count = 0;
  for (std::uintptr_t value = 4; value < 0x4000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

// None of these may ever be a port of the machine: COM1 and COM256 are left
// alone because the console can end up behind them. The test prefix maps
// COM2..COM255 to nothing, so COM42 opens as an empty device that refuses
// the settings; COM0 and COM300 have no device at all.
TEST(Win32SerialLineOnWine, PortWithoutDeviceDoesNotOpenAndKeepsNoHandle) {
  for (std::int32_t port : {42, 0, 300}) {
    Win32SerialLine line;
    const int before = HandleCount();
    EXPECT_FALSE(line.Open(port)) << port;
    EXPECT_FALSE(line.IsOpen()) << port;
    EXPECT_EQ(HandleCount(), before) << "COM" << port << " left a handle open";
    EXPECT_TRUE(line.Close());
    EXPECT_TRUE(line.Close());
    EXPECT_EQ(line.ReadCts(), -1);
  }
}

TEST(Win32ClockHardware, PerformanceCounterRunsAtWinesRate) {
  Win32ClockHardware clock;
  // Wine's performance counter counts in units of 100 ns.
  EXPECT_EQ(clock.HighLevelFrequency(), 10'000'000);
}

TEST(Win32ClockHardware, SleepLetsBothCountersAdvance) {
  Win32ClockHardware clock;
  const std::int64_t high0 = clock.HighLevelCount();
  const std::int64_t low0 = clock.LowLevelCount();
  clock.Sleep(20);
  const std::int64_t high1 = clock.HighLevelCount();
  const std::int64_t low1 = clock.LowLevelCount();
  // At least half the pause must show, or Sleep did not sleep; the upper
  // bound is left open, since a loaded machine may oversleep a lot.
  EXPECT_GE(high1 - high0, clock.HighLevelFrequency() / 100);
  EXPECT_GT(low1, low0);
  EXPECT_GT(low0, 0);
}

ULONGLONG FileTimeOf(const SYSTEMTIME& time) {
  FILETIME file{};
  EXPECT_TRUE(SystemTimeToFileTime(&time, &file));
  return (ULONGLONG{file.dwHighDateTime} << 32) | file.dwLowDateTime;
}

ULONGLONG SystemNow() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  return FileTimeOf(now);
}

TEST(Win32WallClock, StampIsTheSystemTimeFieldForField) {
  Win32WallClock clock;
  WallStamp stamp;
  const ULONGLONG before = SystemNow();
  clock.StampTime(stamp);
  const ULONGLONG after = SystemNow();

  SYSTEMTIME asSystem{};
  asSystem.wYear = stamp.year;
  asSystem.wMonth = stamp.month;
  asSystem.wDayOfWeek = stamp.dayOfWeek;
  asSystem.wDay = stamp.day;
  asSystem.wHour = stamp.hour;
  asSystem.wMinute = stamp.minute;
  asSystem.wSecond = stamp.second;
  asSystem.wMilliseconds = stamp.milliseconds;
  const ULONGLONG taken = FileTimeOf(asSystem);
  EXPECT_LE(before, taken);
  EXPECT_LE(taken, after);

  // The conversion ignores the day of the week; check it on its own.
  FILETIME file{static_cast<DWORD>(taken), static_cast<DWORD>(taken >> 32)};
  SYSTEMTIME back{};
  ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
  EXPECT_EQ(stamp.dayOfWeek, back.wDayOfWeek);
}

class Win32ProcessControlTest : public ::testing::Test {
 protected:
  void TearDown() override { SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS); }
  Win32ProcessControl control;
};

TEST_F(Win32ProcessControlTest, EachClassIsSetOnTheProcess) {
  struct {
    PriorityClass priority;
    DWORD windowsClass;
  } const cases[] = {
      {PriorityClass::High, HIGH_PRIORITY_CLASS},
      {PriorityClass::Idle, IDLE_PRIORITY_CLASS},
      {PriorityClass::Realtime, REALTIME_PRIORITY_CLASS},
      {PriorityClass::Normal, NORMAL_PRIORITY_CLASS},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(control.SetPriorityClass(c.priority));
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), c.windowsClass)
        << static_cast<int>(c.priority);
  }
}

struct SeenByBody {
  DWORD threadId;
  int priority;
};

TEST_F(Win32ProcessControlTest, BodyRunsOnItsOwnTimeCriticalThread) {
  auto seen = std::make_shared<std::promise<SeenByBody>>();
  ASSERT_TRUE(control.StartTimeCriticalThread([seen] {
    seen->set_value({GetCurrentThreadId(), GetThreadPriority(GetCurrentThread())});
  }));
  std::future<SeenByBody> result = seen->get_future();
  // Only a guard against a body that never runs; the test does not time it.
  ASSERT_EQ(result.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  const SeenByBody body = result.get();
  EXPECT_NE(body.threadId, GetCurrentThreadId());
  EXPECT_EQ(body.priority, THREAD_PRIORITY_TIME_CRITICAL);
}

TEST_F(Win32ProcessControlTest, NoBodyNoThread) {
  EXPECT_FALSE(control.StartTimeCriticalThread(nullptr));
}

}  // namespace
}  // namespace vireo
