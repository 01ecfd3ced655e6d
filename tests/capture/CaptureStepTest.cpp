#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "capture/CaptureEngine.h"
#include "support/EngineHarness.h"

namespace vireo {
namespace {

using test::EngineHarness;

// Builds a recording from (level, milliseconds) pieces.
class Script {
 public:
  Script& Level(int level, double ms) {
    recording_.push_back({level, static_cast<std::int64_t>(ms * 1000 + 0.5)});
    return *this;
  }
  Script& Frame(const std::vector<double>& marksAndSpaces) {
    int level = 0;
    for (double ms : marksAndSpaces) {
      Level(level, ms);
      level = 1 - level;
    }
    return *this;
  }
  const sim::Recording& Get() const { return recording_; }
  double TotalMs() const { return static_cast<double>(sim::TotalUs(recording_)) / 1000; }

 private:
  sim::Recording recording_;
};

std::string Config(const std::string& overrides) {
  return std::string(test::kBurstStartConfig) + "[CONFIG]\n" + overrides;
}

struct Transition {
  std::int32_t state;
  double recordingMs;  // when the step that stored it ended, from the recording's start
};

// Steps the engine through a whole script and notes every change of state.
class ScriptRun {
 public:
  ScriptRun(const Script& script, const std::string& config) : h(script.Get()) {
    h.WriteConfig(config);
    started = h.engine->RunStartUp();
    h.TakeLines();
    end = script.TotalMs();
  }
  std::vector<Transition> StepThrough(double extraMs = 300) {
    std::vector<Transition> seen;
    std::int32_t last = h.State();
    std::int64_t until = h.RecordingTicks(end + extraMs);
    while (h.time.ticks < until) {
      h.engine->CaptureStep();
      if (h.State() != last) {
        last = h.State();
        seen.push_back({last, (h.time.ticks - h.line->RecordingStartTicks()) /
                                  static_cast<double>(sim::kTicksPerMs)});
      }
    }
    return seen;
  }
  std::vector<std::int32_t> States(const std::vector<Transition>& seen) {
    std::vector<std::int32_t> states;
    for (const Transition& t : seen) states.push_back(t.state);
    return states;
  }
  int CountLines(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.compare(0, prefix.size(), prefix) == 0;
    }));
  }

  EngineHarness h;
  bool started = false;
  double end = 0;
};

const std::string kNoCommand = "Нет комманды для '";

TEST(CaptureStep, ConstantIdleLineSleepsAndLogsNothing) {
  ScriptRun run(Script().Level(1, 2000), Config(""));
  ASSERT_TRUE(run.started);
  std::int64_t before = run.h.time.ticks;
  for (int i = 0; i < 1000; ++i) run.h.engine->CaptureStep();
  EXPECT_EQ(run.h.State(), kIdle);
  // Each step: one read (10 us), one counter read, and SLEEP_TIMEBIG.
  EXPECT_EQ(run.h.time.ticks - before, 1000 * (10'000 + 100 + 1));
  EXPECT_TRUE(run.h.TakeLines().empty());
}

TEST(CaptureStep, DropArmsThenStartLevelStartsAPacket) {
  // Start on level 1 after 20 ms; back to idle after 100 ms.
  ScriptRun run(Script().Level(1, 50).Level(0, 2).Level(1, 200),
                Config("PACKET_START_VALUE=1\nPACKET_START_PAUSE=20\nPACKET_STOP_VALUE=0\n"));
  std::vector<Transition> seen = run.StepThrough();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].state, kArmed);
  // Seen by the next idle poll, stored after that step's 1 ms sleep.
  EXPECT_GE(seen[0].recordingMs, 51.0);
  EXPECT_LE(seen[0].recordingMs, 52.1);
  EXPECT_EQ(seen[1].state, kReceiving);
  // Level 1 returned at 52 ms; more than 20 whole ms of it is 21 ms.
  EXPECT_NEAR(seen[1].recordingMs, 73.0, 0.05);
}

TEST(CaptureStep, ShortDropReturnsToIdleWithoutPacket) {
  ScriptRun run(Script().Level(1, 50).Level(0, 5).Level(1, 200),
                Config("PACKET_START_VALUE=1\nPACKET_START_PAUSE=20\nPACKET_SLEEP=10\n"));
  std::vector<Transition> seen = run.StepThrough();
  ASSERT_EQ(run.States(seen), (std::vector<std::int32_t>{kArmed, kIdle}));
  EXPECT_NEAR(seen[1].recordingMs, 66.0, 0.05);  // 11 whole ms after the drop ended
}

TEST(CaptureStep, StartRuleOverridesSleepRuleInTheSameStep) {
  ScriptRun run(Script().Level(1, 50).Level(0, 2).Level(1, 200),
                Config("PACKET_START_VALUE=1\nPACKET_START_PAUSE=20\nPACKET_SLEEP=20\n"
                       "PACKET_STOP_VALUE=0\n"));
  std::vector<Transition> seen = run.StepThrough();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[1].state, kReceiving);
  EXPECT_NEAR(seen[1].recordingMs, 73.0, 0.05);
}

struct StopCase {
  const char* name;
  std::vector<double> tail;  // levels after the packet's first burst, starting with level 1
  int packetEnds;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopLevel : public ::testing::TestWithParam<StopCase> {};

// PACKET_STOP_PAUSE 8: the stop level must last 9 whole ms, measured from
// the first sample that sees it, and a glitch restarts that measurement.
TEST_P(StopLevel, EndsOnlyAfterMoreThanThePause) {
  const StopCase& c = GetParam();
  Script script;
  script.Level(1, 20).Level(0, 5);
  int level = 1;
  for (double ms : c.tail) {
    script.Level(level, ms);
    level = 1 - level;
  }
  ScriptRun run(script, Config("PACKET_SLEEP=1000\n"));
  run.StepThrough(0);
  EXPECT_EQ(run.CountLines(run.h.TakeLines(), kNoCommand), c.packetEnds);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StopLevel,
    ::testing::Values(StopCase{"ExactlyThePause", {8.0, 3.0, 1.0}, 0},
                      StopCase{"JustUnderOneMore", {8.98, 3.0, 1.0}, 0},
                      StopCase{"OneMoreMillisecond", {9.03, 3.0, 1.0}, 1},
                      StopCase{"GlitchRestartsTiming", {6.0, 0.05, 6.0, 3.0, 1.0}, 0},
                      StopCase{"GlitchThenLongEnough", {6.0, 0.05, 9.1, 3.0, 1.0}, 1},
                      StopCase{"TwoEnds", {9.1, 3.0, 9.1, 3.0, 1.0}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A pulse-distance frame: 9 ms header mark, 4.5 ms space, then 0.56 ms marks
// with short or long spaces.
std::vector<double> NecLikeFrame(unsigned bits) {
  std::vector<double> frame = {9.0, 4.5};
  for (int i = 0; i < 16; ++i) {
    frame.push_back(0.56);
    frame.push_back((bits >> i) & 1 ? 1.69 : 0.56);
  }
  frame.push_back(0.56);
  return frame;
}

TEST(CaptureStep, HeldButtonLooksUpOncePerPacketEndOnTheMergedReference) {
  Script script;
  script.Level(1, 10);
  constexpr int kRepeats = 4;
  for (int i = 0; i < kRepeats; ++i) script.Frame(NecLikeFrame(0xB24D)).Level(1, 40);
  ScriptRun run(script, Config(""));
  std::vector<Transition> seen = run.StepThrough();
  std::vector<std::string> lines = run.h.TakeLines();
  ASSERT_EQ(run.CountLines(lines, kNoCommand), kRepeats);
  // The first packet starts later in its header (the idle poll saw the burst
  // late), so the second, fuller one replaces it; from then on every look-up
  // sees the same merged reference, and all agree after the header's symbol.
  std::vector<std::string> codes;
  for (const std::string& l : lines) codes.push_back(l.substr(kNoCommand.size()));
  EXPECT_EQ(std::count(codes.begin() + 1, codes.end(), codes[1]), kRepeats - 1) << codes[1];
  EXPECT_EQ(codes[0].substr(1), codes[1].substr(1));
  EXPECT_EQ(codes[1].size(), 18u + 1);  // 18 pairs of runs, and the closing quote
  // ... and the burst ended with a return to idle polling.
  EXPECT_EQ(seen.back().state, kIdle);
}

TEST(CaptureStep, RecognisedCommandIsQueuedAndFollowedByThePause) {
  Script script;
  script.Level(1, 10).Frame(NecLikeFrame(0xB24D)).Level(1, 40);
  // Learn the code first, with no command configured.
  std::string code;
  {
    ScriptRun learn(script, Config(""));
    learn.StepThrough();
    std::vector<std::string> lines = learn.h.TakeLines();
    ASSERT_EQ(lines.size(), 1u);
    code = lines[0].substr(kNoCommand.size(), lines[0].size() - kNoCommand.size() - 1);
  }
  ScriptRun run(script, Config("[COMMAND4]\nValue=" + code.substr(2, 10) + "\n"));
  run.StepThrough(0);
  EXPECT_TRUE(run.h.TakeLines().empty());
  EXPECT_EQ(run.h.engine->Queue().Pop(), "4");
  EXPECT_EQ(run.h.engine->Queue().Pop(), "");
}

TEST(CaptureStep, DebugSwitchLogsTheRatiosAndQueuesNothing) {
  Script script;
  script.Level(1, 10).Frame(NecLikeFrame(0x00FF)).Level(1, 40).Frame(NecLikeFrame(0x00FF));
  script.Level(1, 40);
  ScriptRun run(script, Config("[COMMAND1]\nValue=1\n"));
  run.h.engine->Frames().debugMode = true;
  run.StepThrough();
  std::vector<std::string> lines = run.h.TakeLines();
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) {
    EXPECT_NE(line.find('|'), std::string::npos) << line;  // "%4i|" after each symbol
    EXPECT_NE(line.compare(0, kNoCommand.size(), kNoCommand), 0) << line;  // no look-up
  }
  EXPECT_EQ(run.h.engine->Queue().Pop(), "");
}

TEST(CaptureStep, StopRequestedMidPacketIsKept) {
  Script script;
  script.Level(1, 10).Frame(NecLikeFrame(0xFFFF)).Level(1, 40);
  ScriptRun run(script, Config(""));
  std::int64_t until = run.h.RecordingTicks(20);
  run.h.StepUntil(until);
  ASSERT_EQ(run.h.State(), kReceiving);
  run.h.engine->RequestStop();
  run.h.engine->CaptureStep();  // a step that runs finishes, and leaves the 666 alone
  EXPECT_EQ(run.h.State(), kStopRequested);
  run.h.engine->FinishRun();
  EXPECT_EQ(run.h.TakeLines(), std::vector<std::string>{"Тред остановлен"});
  EXPECT_EQ(run.h.State(), kStopped);
  EXPECT_FALSE(run.h.line->IsOpen());
}

}  // namespace
}  // namespace vireo
