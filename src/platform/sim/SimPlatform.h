// The simulated receiver and clock: one deterministic virtual time, in ticks
// of 0.1 us from 0, shared by the counters, the sleeps and the serial line
// that replays a recording. Serves the tests, the replay tool and the
// benchmarks.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ClockHardware.h"
#include "platform/ProcessControl.h"
#include "platform/SerialLine.h"
#include "platform/WallClock.h"
#include "platform/sim/Recording.h"

namespace vireo::sim {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;
inline constexpr std::int64_t kTicksPerMs = kTicksPerSecond / 1000;
inline constexpr std::int64_t kTicksPerUs = kTicksPerSecond / 1'000'000;

struct VirtualTime {
  std::int64_t ticks = 0;
};

// Each read of the high-level counter returns the time and then advances it
// by one tick; the low-level counter never moves; a sleep advances the time.
class SimClockHardware : public ClockHardware {
 public:
  explicit SimClockHardware(VirtualTime& time) : time_(time) {}
  std::int64_t HighLevelCount() override { return time_.ticks++; }
  std::int64_t HighLevelFrequency() override { return kTicksPerSecond; }
  std::int64_t LowLevelCount() override { return 0; }
  void Sleep(std::int32_t ms) override {
    ++sleeps;
    if (ms > 0) time_.ticks += static_cast<std::int64_t>(ms) * kTicksPerMs;
  }

  std::int64_t sleeps = 0;  // each one a wake-up of the thread

 private:
  VirtualTime& time_;
};

// A serial line whose CTS replays a recording that begins one second after
// the port was opened; before and after it the line idles at 1. Every read
// first advances the time by the sampling period.
class SimSerialLine : public SerialLine {
 public:
  static constexpr std::int64_t kLeadInMs = 1000;

  SimSerialLine(VirtualTime& time, Recording recording, std::int64_t samplingTicks = 100);

  bool Open(std::int32_t port) override;
  bool SetDtr(bool on) override;
  bool SetRts(bool on) override;
  int ReadCts() override;
  bool Close() override;
  bool IsOpen() const override { return open_; }

  // The wait wakes edgeLatencyTicks after the change, as a driver and the
  // scheduler do.
  void WantEdgeWait(bool on) override { edgeWaitWanted_ = on; }
  bool StartEdgeWait() override { return edgeWaitWanted_ && !failEdgeWait; }
  bool WaitForEdge(std::int32_t timeoutMs) override;
  void InterruptWait() override { interrupted_.store(true); }

  // Knobs for tests of the start-up's failure paths.
  bool failDtr = false;
  bool failRts = false;
  int idleLevel = 1;  // the level outside the recording; 0 models a missing receiver
  bool ctsUnreadable = false;
  bool failEdgeWait = false;
  std::int64_t edgeLatencyTicks = 0;
  std::int64_t edgeWaits = 0;  // each one a wake-up of the thread

  // As a receiver board's line: what it answered, and what befalls its stream.
  std::string BoardAnswer() const override { return boardAnswer; }
  bool StreamLost() const override { return streamLost; }
  int TakeOverflows() override { return std::exchange(overflows, 0); }
  std::string boardAnswer;
  bool streamLost = false;
  int overflows = 0;

  // Absolute virtual time at which the recording ends (valid once open).
  std::int64_t RecordingEndTicks() const { return startTicks_ + totalTicks_; }
  std::int64_t RecordingStartTicks() const { return startTicks_; }
  // What happened to the line, as "open:3;dtr:1;rts:1;close" for tests.
  const std::string& Calls() const { return calls_; }

 private:
  VirtualTime& time_;
  std::vector<std::int64_t> ends_;  // end of each segment, ticks from the recording's start
  std::vector<int> levels_;
  std::int64_t totalTicks_ = 0;
  std::int64_t samplingTicks_;
  std::int64_t startTicks_ = 0;
  std::size_t cursor_ = 0;
  bool open_ = false;
  bool edgeWaitWanted_ = false;
  std::atomic<bool> interrupted_{false};
  std::string calls_;
};

// Wall clock on one fixed day whose time of day is the virtual time.
class SimWallClock : public WallClock {
 public:
  explicit SimWallClock(VirtualTime& time) : time_(time) {}
  void StampTime(WallStamp& stamp) override;

 private:
  VirtualTime& time_;
};

// Priority changes always succeed and are recorded; threads are real
// std::threads (the replay tool never starts one).
class SimProcessControl : public ProcessControl {
 public:
  bool SetPriorityClass(PriorityClass priority) override;
  bool StartTimeCriticalThread(std::function<void()> body) override;

  bool failPriority = false;
  std::vector<PriorityClass> priorities;
};

}  // namespace vireo::sim
