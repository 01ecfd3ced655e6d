#include <gtest/gtest.h>

#include <cstdio>

#include "signal/RawPacket.h"
#include "support/EngineHarness.h"

namespace vireo {
namespace {

using test::EngineHarness;

// Each packet's durations as the worker hands them over, one trace line.
class RawTrace final : public RawPacketSink {
 public:
  explicit RawTrace(std::string& trace) : trace_(trace) {}
  void AddRawPacket(const RawPacket& p) override {
    trace_ += p.valid ? "raw" : "raw noise";
    trace_ += p.firstOn ? " from quiet:" : " from burst:";
    for (int i = 0; i < p.count; ++i) trace_ += " " + std::to_string(p.us[i]);
    trace_ += p.cut ? " cut\n" : "\n";
  }

 private:
  std::string& trace_;
};

class CaptureScript : public ::testing::TestWithParam<test::Case> {};

// A recording stepped through from the end of the start-up to some time
// after its end, written as one trace: every change of the run state with
// the time it was stored (ms from the recording's start), every log line,
// and what is left in the command queue.
TEST_P(CaptureScript, Trace) {
  const test::Case& c = GetParam();
  EngineHarness h(test::ScriptRecording(c["recording"]),
                  test::Config("burst") + "[CONFIG]\n" + c["ini"]);
  if (c.Has("wake-us")) h.line->edgeLatencyTicks = std::stoll(c["wake-us"]) * sim::kTicksPerUs;
  ASSERT_TRUE(h.engine->RunStartUp());
  h.TakeLines();
  h.engine->Frames().debugMode = c.Has("debug");
  const double end =
      static_cast<double>(sim::TotalUs(test::ScriptRecording(c["recording"]))) / 1000;
  const double stopAt = c.Has("stop-at") ? std::stod(c["stop-at"]) : -1;
  std::string trace;
  RawTrace raw(trace);
  if (c.Has("raw")) h.engine->Frames().SetRawSink(&raw);
  std::int32_t state = h.State();
  auto note = [&] {
    if (h.State() != state) {
      state = h.State();
      char text[48];
      std::snprintf(text, sizeof text, "state %d at %.2f ms\n", state, h.RecordingMs());
      trace += text;
    }
    for (const std::string& line : h.TakeLines()) trace += line + "\n";
  };
  const double until = end + std::stod(c.Has("after") ? c["after"] : "300");
  while (state != kStopped && h.RecordingMs() < until) {
    if (stopAt >= 0 && h.RecordingMs() >= stopAt) h.engine->RequestStop();
    h.engine->CaptureStep();  // a running step finishes and leaves a stop request alone
    note();
    if (state == kStopRequested) h.engine->FinishRun();
    note();
  }
  std::string queued;
  for (std::string name = h.engine->Queue().Pop(); !name.empty(); name = h.engine->Queue().Pop()) {
    queued += " " + name;
  }
  if (!queued.empty()) trace += "queue:" + queued + "\n";
  EXPECT_EQ(trace, c["trace"]);
}

INSTANTIATE_TEST_SUITE_P(Data, CaptureScript,
                         ::testing::ValuesIn(test::ReadCases("capture/steps.cases")),
                         VIREO_CASE_NAME);

TEST(CaptureStep, QuietLineIsPolledEverySleepTimeBigAndLogsNothing) {
  EngineHarness h(test::ScriptRecording("1 2000"), test::Config("burst"));
  ASSERT_TRUE(h.engine->RunStartUp());
  h.TakeLines();
  const std::int64_t before = h.time.ticks;
  for (int i = 0; i < 1000; ++i) h.engine->CaptureStep();
  EXPECT_EQ(h.State(), kIdle);
  // Each step: one read (10 us), one counter read, and SLEEP_TIMEBIG.
  EXPECT_EQ(h.time.ticks - before, 1000 * (10'000 + 100 + 1));
  EXPECT_TRUE(h.TakeLines().empty());
}

// Idle cost: a minute of quiet line wakes the worker 60 000 times polled,
// 600 times waiting for the edge (each wait bounded at 100 ms), and a stop
// ends the wait at once.
TEST(CaptureStep, QuietLineWaitingForTheEdgeWakesTenTimesASecond) {
  EngineHarness h(test::ScriptRecording("1 100000"),
                  test::Config("burst") + "[CONFIG]\nEDGE_WAIT=1\n");
  ASSERT_TRUE(h.engine->RunStartUp());
  const std::int64_t minute = h.time.ticks + 60'000 * sim::kTicksPerMs;
  while (h.time.ticks < minute) h.engine->CaptureStep();
  EXPECT_EQ(h.line->edgeWaits, 600);
  EXPECT_EQ(h.hardware.sleeps, 1);  // the receiver's power-up pause
  h.engine->RequestStop();
  const std::int64_t stopped = h.time.ticks;
  EXPECT_FALSE(h.line->WaitForEdge(100));
  EXPECT_EQ(h.time.ticks, stopped);
}

}  // namespace
}  // namespace vireo
