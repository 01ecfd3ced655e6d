// The engine's shared state under real threads: a worker capturing a long
// held button while the user-interface side starts, stops, pushes, pops,
// appends and takes the log at random. Meant for ThreadSanitizer as much as
// for itself.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "support/EngineHarness.h"

namespace vireo {
namespace {

TEST(EngineStress, StartStopPushPopAndLogFromTwoThreads) {
  std::string script = "1 10";
  for (int i = 0; i < 400; ++i) script += ", nec 5555, 1 30";
  test::EngineHarness h(
      test::ScriptRecording(script),
      test::Config("burst") + "[CONFIG]\nSLEEP_TIMESMALL=1\n[COMMAND2]\nValue=1\n");
  CaptureEngine& engine = *h.engine;
  struct NoSleep : Sleeper {
    void Sleep(std::int32_t) override {}
  } uiSleeper;

  std::mt19937 random(7);
  int popped = 0;
  int starts = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int i = 0; i < 4000 && std::chrono::steady_clock::now() < deadline; ++i) {
    switch (random() % 8) {
      case 0:
        engine.StartWorker();
        ++starts;
        break;
      case 1:
        engine.RequestStop();
        break;
      case 2:
        engine.Queue().Push("7;8", 0, uiSleeper);
        break;
      case 3:
        engine.Frames().debugMode = !engine.Frames().debugMode;
        break;
      case 4:
        engine.Log().AppendLog("(ui)");
        break;
      case 5:
        ASSERT_LE(engine.Log().TakeLogIfChanged().size(), LogSink::kCapacity + 2);
        break;
      default:
        for (std::string name = engine.Queue().Pop(); !name.empty(); name = engine.Queue().Pop()) {
          ASSERT_TRUE(name == "2" || name == "7" || name == "8") << name;  // never torn
          ++popped;
        }
        (void)engine.Config().GetString("COMMAND2", "Value");
        break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
  }
  engine.RequestStop();
  while (engine.WorkerPresent() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    engine.RequestStop();
  }
  ASSERT_FALSE(engine.WorkerPresent());
  EXPECT_EQ(engine.State().Get(), kStopped);
  EXPECT_FALSE(h.line->IsOpen());
  EXPECT_GT(starts, 0);
  EXPECT_GT(popped, 0);
}

}  // namespace
}  // namespace vireo
