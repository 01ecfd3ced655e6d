#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "support/EngineHarness.h"

namespace vireo {
namespace {

using test::EngineHarness;

class StartUp : public ::testing::TestWithParam<test::Case> {};

// Every way the start-up ends, with its log, the line's calls and the
// priority classes; after a successful start-up the worker is stopped.
TEST_P(StartUp, Transcript) {
  const test::Case& c = GetParam();
  EngineHarness h({}, (c["config"] == "none" ? "" : test::Config(c["config"])) + c["ini"]);
  const std::string& knobs = c["knobs"];
  auto knob = [&knobs](const char* name) { return knobs.find(name) != std::string::npos; };
  h.line->failDtr = knob("failDtr");
  h.line->failRts = knob("failRts");
  h.line->ctsUnreadable = knob("ctsUnreadable");
  h.line->failEdgeWait = knob("failEdgeWait");
  h.line->idleLevel = knob("noReceiver") ? 0 : 1;
  h.process.failPriority = knob("failPriority");
  h.hardware.frequency = knob("rate99") ? 99 : 0;
  if (knob("board")) h.engine->SetBoardLine(h.line.get());
  if (c.Has("answer")) h.line->boardAnswer = test::Unescape(c["answer"]);

  if (h.engine->RunStartUp()) {
    EXPECT_EQ(h.State(), kIdle);
    EXPECT_TRUE(h.line->IsOpen());
    EXPECT_GE(h.time.ticks, 500 * sim::kTicksPerMs);  // the receiver's power-up pause
    h.engine->RequestStop();
    h.engine->FinishRun();
  }
  std::vector<std::string> lines = h.TakeLines();
  const std::size_t from = c.Has("from") ? std::stoul(c["from"]) : 0;
  lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(from, lines.size())));
  EXPECT_EQ(lines, test::Lines(c["log"]));
  EXPECT_EQ(h.line->Calls(), c["calls"]);
  std::string priorities;
  for (PriorityClass p : h.process.priorities) {
    priorities += std::string(priorities.empty() ? "" : " ") +
                  (const char*[]){"Idle", "Normal", "High", "Realtime"}[static_cast<int>(p)];
  }
  EXPECT_EQ(priorities, c["priorities"]);
  EXPECT_EQ(h.State(), kStopped);
  EXPECT_FALSE(h.engine->WorkerPresent());
  EXPECT_FALSE(h.line->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Data, StartUp,
                         ::testing::ValuesIn(test::ReadCases("capture/startup.cases")),
                         VIREO_CASE_NAME);

// Runs the worker only when the test says so, on the test's own thread.
class DeferredProcess : public sim::SimProcessControl {
 public:
  bool StartTimeCriticalThread(std::function<void()> body) override {
    bodies.push_back(std::move(body));
    return true;
  }
  std::vector<std::function<void()>> bodies;
};

// START and STOP while a worker is still starting: the run state is 0, yet
// a second worker is refused and the stop reaches the starting one, which
// then ends straight after its start-up.
TEST(WorkerStart, StartAndStopDuringStartUp) {
  for (bool secondStart : {true, false}) {
    EngineHarness h({}, test::Config("working"));
    DeferredProcess process;
    CaptureEngine engine(*h.line, h.hardware, process);
    engine.RequestStop();  // no worker: nothing happens
    engine.StartWorker();
    EXPECT_TRUE(engine.WorkerPresent());
    secondStart ? engine.StartWorker() : engine.RequestStop();
    EXPECT_EQ(process.bodies.size(), 1u);
    EXPECT_EQ(engine.State().Get(), kStopped);
    process.bodies[0]();
    const auto lines = test::Lines(engine.Log().TakeLogIfChanged());
    EXPECT_EQ(lines[1] == "Попытка запуска второй копии Vireo", secondStart);
    EXPECT_EQ(lines.back(), "Тред остановлен");
    EXPECT_EQ(lines[lines.size() - 2], "");  // no capture step ran
    EXPECT_EQ(engine.State().Get(), kStopped);
    EXPECT_FALSE(engine.WorkerPresent());
    EXPECT_EQ(h.line->Calls(), "open:3;dtr:1;rts:1;close;");
    engine.StartWorker();  // after the end a new worker starts
    EXPECT_EQ(process.bodies.size(), 2u);
  }
}

// The board's troubles come to the log when the line is quiet: lost levels
// as a line, a stream that stopped as the end of the run.
TEST(WorkerStart, ABoardThatLosesLevelsOrStopsIsLogged) {
  EngineHarness h({}, test::Config("working") + "[COM]\nReceiver=BOARD\n");
  h.engine->SetBoardLine(h.line.get());
  h.line->boardAnswer = "VIREO-IR 1";
  ASSERT_TRUE(h.engine->RunStartUp());
  h.TakeLines();
  h.line->overflows = 2;
  h.engine->CaptureStep();
  EXPECT_EQ(h.TakeLines(),
            std::vector<std::string>{"Плата приемника не успела передать часть сигнала"});
  h.line->streamLost = true;
  h.engine->CaptureStep();
  EXPECT_EQ(h.TakeLines(), std::vector<std::string>{"Плата приемника перестала отвечать"});
  EXPECT_EQ(h.State(), kStopRequested);
  h.engine->FinishRun();
  EXPECT_FALSE(h.line->IsOpen());
}

TEST(WorkerStart, RealThreadRunsUntilASecondStartStopsIt) {
  EngineHarness h({}, test::Config("working"));
  h.engine->StartWorker();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  auto waitWhile = [&](const std::function<bool()>& busy) {
    while (busy() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  waitWhile([&] { return h.State() != kIdle; });
  ASSERT_EQ(h.State(), kIdle);
  h.engine->StartWorker();
  waitWhile([&] { return h.engine->WorkerPresent(); });
  ASSERT_FALSE(h.engine->WorkerPresent());
  const auto lines = h.TakeLines();
  EXPECT_EQ(lines.back(), "Тред остановлен");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Попытка запуска второй копии Vireo"), 1);
  EXPECT_FALSE(h.line->IsOpen());
}

}  // namespace
}  // namespace vireo
