// Builders, fakes and comparisons shared by the signal tests, the
// differential test and the benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signal/SignalFrame.h"
#include "signal/SignalViewSink.h"
#include "signal/TickSource.h"

namespace vireo::testing {

// A frame drawn as text from firstSlot on: '1' is +1, '0' is -1, any other
// character an empty slot.
SignalFrame FrameFromPicture(std::string_view picture, int firstSlot = 0);

struct Run {
  std::int32_t value;
  int length;
};
// Consecutive runs of slot values from slot 0.
SignalFrame FrameFromRuns(const std::vector<Run>& runs);

// The slots as a picture, '.' for an empty slot, trailing empties dropped.
std::string Picture(const SignalFrame& frame);

// The first field in which two frames differ, or empty when they are equal.
std::string FrameDifference(const SignalFrame& a, const SignalFrame& b);

// A clock that reads what the test sets.
class ManualClock : public TickSource {
 public:
  explicit ManualClock(std::int64_t ticksPerSecond) : rate_(ticksPerSecond) {}
  std::int64_t Now() override { return now_; }
  std::int64_t TicksPerSecond() override { return rate_; }
  void Set(std::int64_t now) { now_ = now; }

 private:
  std::int64_t now_ = 0;
  std::int64_t rate_;
};

// Records its calls as "add:<length>;ref:<length>;" and keeps the rows.
class RecordingView : public SignalViewSink {
 public:
  void AddTraceRow(const std::string& slotText) override;
  void SetReferenceRow(const std::string& slotText) override;
  void SetCodeMarks(const std::string& letters) override { marks = letters; }
  std::string calls;
  std::string marks;
  std::vector<std::string> traceRows;
  std::string referenceRow;
};

// How one packet of a capture is laid into a frame by the sampler.
struct Sampling {
  int leadIdleUs = 5000;   // idle line before the first mark
  int tailIdleUs = 20000;  // idle line recorded after the last mark
  int windowMs = 130;
  int periodUs = 10;  // one sample per period, as the simulated receiver reads
};
inline constexpr std::int64_t kSimulatedTicksPerSecond = 10'000'000;

// Samples a mark/space timeline (microseconds, mark first) into a packet
// frame the way the capture step does: the frame starts at time 0, and every
// sample goes through MarkSample.
SignalFrame SampleCapture(const std::vector<int>& durationsUs, const Sampling& sampling);

}  // namespace vireo::testing
